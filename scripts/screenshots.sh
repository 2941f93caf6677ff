#!/usr/bin/env bash
# Pictures every window and dialog of the real program on the demo database, framed by a Wine
# desktop window, in build/screenshots/all/ (dialogs cut out with a margin, the place of each
# against its owner in positions.txt, what did not open in missing.txt). With --docs the
# README's three (the main window with the database bar, a grid window, a script window with the
# output of a run) are also copied over the ones in docs/. Needs no display of its own (a virtual
# one is started).
# The program runs in a Wine prefix of its own, build/wineprefix-shots, whose settings are
# replaced: the prefix of run.sh and start.sh keeps the user's settings and its running program.
# With QL_SHOTS_POSTGRES (a connection string; "" for none) the stored procedure dialogs are
# pictured too, on a schema made for them and dropped afterwards: this needs the test role of
# scripts/databases.sh.
# Usage: screenshots.sh [--docs]   (a tool for looking at the program, not a test)
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
docs=""
case "${1:-}" in
  --docs) docs=1 ;;
  "") ;;
  *) echo "usage: screenshots.sh [--docs]" >&2; exit 2 ;;
esac
bash "$here/setup.sh"
source "$here/env.sh"
export QL_WINEPREFIX="$QL_BINARY_DIR/wineprefix-shots"
source "$here/env.sh"
QL_TARGETS="Quenlark screenshot_driver" bash "$here/build.sh"
work="$QL_BINARY_DIR/screenshots"
rm -rf "$work"
mkdir -p "$work/all"
demo="$work/quenlark-demo.db"
bash "$here/demo-database.sh" "$demo"
# A copy with a long table whose last page is broken: a window over it shows its first screen
# and stops reading on when it meets the page.
broken="$work/broken-rows.db"
cp "$demo" "$broken"
sqlite3 "$broken" "CREATE TABLE readings (id INTEGER PRIMARY KEY, sensor VARCHAR(20), value INTEGER);
  WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 60000)
  INSERT INTO readings SELECT x, 'sensor ' || (x % 12), x * 7 FROM c;"
python3 - "$broken" <<'PY'
import os, sys
with open(sys.argv[1], "r+b") as f:
    header = f.read(100)
    page = int.from_bytes(header[16:18], "big") or 65536
    f.seek(os.path.getsize(sys.argv[1]) - page)
    f.write(b"\xff")  # no page type
PY
cat > "$work/city orders.sql" <<'SQL'
-- Orders per city of the demo shop, kept for the session
CREATE TEMP TABLE city_orders AS
  SELECT c.city, count(*) AS orders
  FROM customers c JOIN orders o ON o.customer_id = c.customer_id
  GROUP BY c.city;
CREATE INDEX city_orders_city ON city_orders (city);
UPDATE city_orders SET orders = orders + 0 WHERE city IS NOT NULL;
DROP TABLE city_orders;
SQL
export QL_WORK="$work" QL_DEMO="$demo" QL_DOCS="$docs"
postgres="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;UID=quenlark;PWD=quenlark;"
export QL_SHOTS_POSTGRES="${QL_SHOTS_POSTGRES-$postgres}"
# The server's objects live in a schema of this run only, dropped whatever happens.
export QL_SHOTS_SCHEMA="ql_shots_$$_$(date +%s)"
psql_shots() { PGPASSWORD=quenlark psql -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -U quenlark -d quenlark "$@"; }
if [ -n "$QL_SHOTS_POSTGRES" ]; then
  if psql_shots >/dev/null <<SQL
CREATE SCHEMA $QL_SHOTS_SCHEMA;
SET search_path = $QL_SHOTS_SCHEMA;
CREATE TABLE carriers (carrier_id integer PRIMARY KEY, name varchar(40) NOT NULL UNIQUE);
CREATE TABLE shipments (
  shipment_id integer PRIMARY KEY,
  carrier_id  integer NOT NULL REFERENCES carriers,
  weight_kg   numeric(8, 2) CHECK (weight_kg > 0),
  sent        date DEFAULT current_date
);
CREATE INDEX shipments_sent ON shipments (sent);
INSERT INTO carriers VALUES (1, 'Nordfracht'), (2, 'Südkurier');
INSERT INTO shipments VALUES (1, 1, 12.50, '2026-03-01'), (2, 2, 3.25, NULL),
  (3, 1, 700, '0044-03-15 BC'), (4, 2, 0.5, 'infinity');
CREATE FUNCTION shipments_checked() RETURNS trigger AS \$\$ BEGIN RETURN NEW; END \$\$ LANGUAGE plpgsql;
CREATE TRIGGER shipments_check BEFORE UPDATE ON shipments FOR EACH ROW EXECUTE FUNCTION shipments_checked();
CREATE FUNCTION order_total(customer integer, since date, OUT orders bigint, OUT total numeric)
  AS \$\$ SELECT count(*), sum(n) FROM generate_series(1, customer) n \$\$ LANGUAGE sql;
SQL
  then
    trap 'psql_shots -c "DROP SCHEMA $QL_SHOTS_SCHEMA CASCADE" >/dev/null || true' EXIT
  else
    echo "no PostgreSQL server: its dialogs are left out" >&2
    QL_SHOTS_POSTGRES=
  fi
fi
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  source "$QL_SOURCE_DIR/scripts/env.sh"
  bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
  wineserver -p
  wine reg delete "HKCU\\Software\\Dravolen" /f >/dev/null 2>&1 || true
  reg="$QL_WORK/seed.reg"
  {
    printf "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\\\Software\\\\Dravolen\\\\Quenlark]\r\n"
    printf "\"Grid lines\"=\"Yes\"\r\n\"Connect DB at startup\"=\"Yes\"\r\n\r\n"
    printf "[HKEY_CURRENT_USER\\\\Software\\\\Dravolen\\\\Quenlark\\\\ConnectStrings]\r\n"
    printf "\"ConnectString0\"=\"Driver=SQLite3;Database=%s;\"\r\n" "$QL_DEMO"
  } > "$reg"
  wine regedit /S "$reg" >/dev/null 2>&1
  markers="$(winepath -w "$QL_WORK")"
  # The script window shows the path of its script (caption, output): a file on drive C: of
  # this prefix shows no checkout of this machine.
  scripts="$WINEPREFIX/drive_c/users/Public/Documents"
  mkdir -p "$scripts"
  cp "$QL_WORK/city orders.sql" "$scripts/"
  script="$(winepath -w "$scripts/city orders.sql")"
  wine explorer /desktop=Quenlark,1280x1024 \
    "$QL_BINARY_DIR/tests/app/screenshot_driver.exe" "$markers" "$script" \
    ${QL_SHOTS_POSTGRES:+"$QL_SHOTS_POSTGRES" "$QL_SHOTS_SCHEMA"} &
  driver=$!
  rc=0
  shots=0
  # The driver names each picture by a marker file holding the rectangle to cut out (empty:
  # the whole screen) and waits until the marker is gone.
  while :; do
    marker="$(ls "$QL_WORK"/*.ready 2>/dev/null | head -n 1 || true)"
    if [ -z "$marker" ]; then
      kill -0 $driver 2>/dev/null || break
      sleep 0.1
      continue
    fi
    shot="$(basename "$marker" .ready)"
    left= top= right= bottom=
    read -r left top right bottom < "$marker" || true
    if [ -n "${left:-}" ]; then
      m=12
      [ "$left" -ge $m ] && left=$((left - m)) || left=0
      [ "$top" -ge $m ] && top=$((top - m)) || top=0
      import -window root -crop "$((right - left + m))x$((bottom - top + m))+$left+$top" +repage \
        "$QL_WORK/all/$shot.png"
    else
      import -window root "$QL_WORK/all/$shot.png"
      case "$shot" in
        main|grid|script) [ -z "$QL_DOCS" ] || cp "$QL_WORK/all/$shot.png" "$QL_SOURCE_DIR/docs/" ;;
      esac
    fi
    shots=$((shots + 1))
    rm -f "$marker"
  done
  echo "$shots pictures in $QL_WORK/all"
  [ -n "$QL_DOCS" ] || echo "docs/ left as it is (--docs puts main, grid and script there)"
  if [ -s "$QL_WORK/missing.txt" ]; then echo "not opened:"; sed "s/^/  /" "$QL_WORK/missing.txt"; fi
  wait $driver || rc=1
  wine reg delete "HKCU\\Software\\Dravolen" /f >/dev/null 2>&1 || true
  wineserver -k || true
  exit $rc'
