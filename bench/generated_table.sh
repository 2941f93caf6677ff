# Sourced by the benchmark scripts: the generated table of ten columns (integers, doubles, short
# and long text, timestamps) that they read, in a SQLite file, in the PostgreSQL test database
# and in the MariaDB one.
export PGPASSWORD=quenlark
psql_q() { psql -h 127.0.0.1 -U quenlark -d quenlark -qAt "$@"; }
maria_q() { mariadb -h 127.0.0.1 -u quenlark -pquenlark quenlark "$@"; }

# make_generated_table ROWS TABLE SQLITE_FILE: creates the three copies unless the SQLite one
# already holds that many rows (the server ones are always made anew). Every row is made where it
# is stored, by one statement (a recursive CTE in sqlite3, generate_series on PostgreSQL, the
# sequence engine's seq_1_to_N on MariaDB): ten million rows take a few minutes, nothing of it
# travels through a client.
make_generated_table() {
  local n="$1" table="$2" db="$3"
  if [ "$(sqlite3 "$db" "SELECT count(*) FROM $table" 2>/dev/null)" != "$n" ]; then
    rm -f "$db"
    # (A file made for the run alone: no journal, and no waiting for the disk.)
    sqlite3 "$db" >/dev/null <<SQL
PRAGMA journal_mode = OFF;
PRAGMA synchronous = OFF;
CREATE TABLE $table (id INTEGER, n INTEGER, big BIGINT, d1 DOUBLE, d2 DOUBLE, s1 VARCHAR(20),
                     s2 VARCHAR(40), t TEXT, ts1 TIMESTAMP, ts2 TIMESTAMP);
WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < $n)
INSERT INTO $table SELECT i, i % 1000, i * 1000003, i / 7.0, i * 1.25, 'name ' || i,
  'city ' || (i % 977) || ' street ' || (i % 31),
  lower(hex(randomblob(24))) || ' ' || lower(hex(randomblob(24))),
  printf('2024-%02d-%02d %02d:%02d:%02d', 1 + i % 12, 1 + i % 28, i % 24, i % 60, (i * 7) % 60),
  printf('1999-%02d-%02d 12:00:00', 1 + i % 12, 1 + i % 28)
FROM c;
SQL
  fi
  psql_q -c "DROP TABLE IF EXISTS $table" >/dev/null
  psql_q >/dev/null <<SQL
CREATE TABLE $table (id INTEGER, n INTEGER, big BIGINT, d1 DOUBLE PRECISION, d2 DOUBLE PRECISION,
                     s1 VARCHAR(20), s2 VARCHAR(40), t TEXT, ts1 TIMESTAMP, ts2 TIMESTAMP);
INSERT INTO $table SELECT i, i % 1000, i::bigint * 1000003, i / 7.0, i * 1.25, 'name ' || i,
  'city ' || (i % 977) || ' street ' || (i % 31), md5(i::text) || md5((i + 1)::text) || ' ' || md5((i + 2)::text),
  timestamp '2024-01-01' + i * interval '17 seconds', timestamp '1999-01-01 12:00' + (i % 365) * interval '1 day'
FROM generate_series(1, $n) AS g(i);
SQL
  maria_q >/dev/null <<SQL
DROP TABLE IF EXISTS $table;
CREATE TABLE $table (id INTEGER, n INTEGER, big BIGINT, d1 DOUBLE, d2 DOUBLE, s1 VARCHAR(20),
                     s2 VARCHAR(40), t TEXT, ts1 DATETIME, ts2 DATETIME) CHARACTER SET utf8mb4;
INSERT INTO $table SELECT seq, seq % 1000, seq * 1000003, seq / 7.0, seq * 1.25,
  CONCAT('name ', seq), CONCAT('city ', seq % 977, ' street ', seq % 31),
  CONCAT(md5(seq), md5(seq + 1), ' ', md5(seq + 2)),
  TIMESTAMP '2024-01-01 00:00:00' + INTERVAL seq * 17 SECOND,
  TIMESTAMP '1999-01-01 12:00:00' + INTERVAL seq % 365 DAY
FROM seq_1_to_$n;
SQL
}

drop_generated_table() {
  psql_q -c "DROP TABLE IF EXISTS $1" >/dev/null
  maria_q -e "DROP TABLE IF EXISTS $1" >/dev/null
}
