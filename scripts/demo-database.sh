#!/usr/bin/env bash
# Builds the demo SQLite database: customers, products, orders and order items with foreign keys,
# a view, some hundreds of rows, and names that need quoting or are not ASCII.
# Usage: demo-database.sh <file>   (an existing file is replaced)
set -euo pipefail
db="$1"
rm -f "$db"
{
  cat <<'SQL'
PRAGMA foreign_keys = ON;
BEGIN;
CREATE TABLE customers (
  customer_id INTEGER PRIMARY KEY,
  name        VARCHAR(80) NOT NULL,
  city        VARCHAR(40),
  "e-mail"    VARCHAR(80),
  created     TIMESTAMP DEFAULT CURRENT_TIMESTAMP
);
CREATE TABLE products (
  product_id  INTEGER PRIMARY KEY,
  name        VARCHAR(80) NOT NULL,
  price       NUMERIC(10, 2) NOT NULL,
  "Größe"     VARCHAR(10),
  note        TEXT
);
CREATE TABLE orders (
  order_id    INTEGER PRIMARY KEY,
  customer_id INTEGER NOT NULL REFERENCES customers (customer_id),
  ordered     DATE NOT NULL,
  "Order Note" VARCHAR(200)
);
CREATE TABLE items (
  order_id    INTEGER NOT NULL REFERENCES orders (order_id),
  line        INTEGER NOT NULL,
  product_id  INTEGER NOT NULL REFERENCES products (product_id),
  quantity    INTEGER NOT NULL CHECK (quantity > 0),
  PRIMARY KEY (order_id, line)
);
CREATE TABLE "Kundenbewertung Ü" (
  customer_id INTEGER NOT NULL REFERENCES customers (customer_id),
  "Sterne"    INTEGER,
  "Kommentar" TEXT
);
SQL
  cities=("Zürich" "Lyon" "Kraków" "Porto" "Oslo" "Sevilla" "Gdańsk" "Malmö")
  for i in $(seq 1 200); do
    city=${cities[$((i % ${#cities[@]}))]}
    printf "INSERT INTO customers VALUES (%d, 'Customer %d%s', '%s', 'c%d@example.org', '2025-%02d-%02d 10:%02d:00');\n" \
      "$i" "$i" "$([ $((i % 17)) -eq 0 ] && echo " O''Brien & Söhne" || true)" "$city" "$i" \
      $((i % 12 + 1)) $((i % 28 + 1)) $((i % 60))
  done
  for i in $(seq 1 60); do
    printf "INSERT INTO products VALUES (%d, 'Product %d', %d.%02d, '%s', %s);\n" \
      "$i" "$i" $((i * 3 % 97 + 1)) $((i * 7 % 100)) "$(echo S M L XL | cut -d' ' -f$((i % 4 + 1)))" \
      "$([ $((i % 5)) -eq 0 ] && echo NULL || echo "'Näher beschrieben: Nr. $i'")"
  done
  for i in $(seq 1 400); do
    printf "INSERT INTO orders VALUES (%d, %d, '2026-%02d-%02d', %s);\n" \
      "$i" $((i % 200 + 1)) $((i % 12 + 1)) $((i % 28 + 1)) \
      "$([ $((i % 3)) -eq 0 ] && echo NULL || echo "'Lieferung an Tür $i'")"
    for line in 1 2 3; do
      [ $(((i + line) % 4)) -eq 0 ] && continue
      printf "INSERT INTO items VALUES (%d, %d, %d, %d);\n" "$i" "$line" $(((i * line) % 60 + 1)) $((line + i % 5))
    done
  done
  for i in $(seq 1 50); do
    printf "INSERT INTO \"Kundenbewertung Ü\" VALUES (%d, %d, 'Sehr gut, Nr. %d');\n" $((i * 3)) $((i % 5 + 1)) "$i"
  done
  cat <<'SQL'
CREATE VIEW order_totals AS
  SELECT o.order_id, c.name AS customer, o.ordered, SUM(i.quantity * p.price) AS total
  FROM orders o
  JOIN customers c ON c.customer_id = o.customer_id
  JOIN items i ON i.order_id = o.order_id
  JOIN products p ON p.product_id = i.product_id
  GROUP BY o.order_id, c.name, o.ordered;
COMMIT;
SQL
} | sqlite3 "$db"
