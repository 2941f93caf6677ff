# Sourced by the benchmark scripts: the generated table of ten columns (integers, doubles, short
# and long text, timestamps) that they read, in a SQLite file and in the PostgreSQL test database.
export PGPASSWORD=quenlark
psql_q() { psql -h 127.0.0.1 -U quenlark -d quenlark -qAt "$@"; }

# make_generated_table ROWS TABLE SQLITE_FILE: creates both copies unless the SQLite one already
# holds that many rows (the PostgreSQL one is always made anew).
make_generated_table() {
  local n="$1" table="$2" db="$3"
  if [ "$(sqlite3 "$db" "SELECT count(*) FROM $table" 2>/dev/null)" != "$n" ]; then
    rm -f "$db"
    sqlite3 "$db" <<SQL
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
}
