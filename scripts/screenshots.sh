#!/usr/bin/env bash
# Takes the README's pictures (docs/*.png) from the real program on the demo database, framed by
# a Wine desktop window: the main window with the database bar, a grid window, a script window
# with the output of a run. Needs no display of its own (a virtual one is started).
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
bash "$here/setup.sh"
source "$here/env.sh"
QL_TARGETS="Quenlark screenshot_driver" bash "$here/build.sh"
work="$QL_BINARY_DIR/screenshots"
rm -rf "$work"
mkdir -p "$work" "$QL_SOURCE_DIR/docs"
demo="$work/quenlark-demo.db"
bash "$here/demo-database.sh" "$demo"
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
export QL_WORK="$work" QL_DEMO="$demo"
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
  script="$(winepath -w "$QL_WORK/city orders.sql")"
  wine explorer /desktop=Quenlark,1280x1024 \
    "$QL_BINARY_DIR/tests/app/screenshot_driver.exe" "$markers" "$script" &
  driver=$!
  rc=0
  for shot in main grid script; do
    for i in $(seq 600); do
      [ -f "$QL_WORK/$shot.ready" ] && break
      kill -0 $driver 2>/dev/null || break
      sleep 0.2
    done
    if [ ! -f "$QL_WORK/$shot.ready" ]; then echo "no picture: $shot" >&2; rc=1; break; fi
    import -window root "$QL_SOURCE_DIR/docs/$shot.png"
    rm -f "$QL_WORK/$shot.ready"
  done
  wait $driver || rc=1
  wine reg delete "HKCU\\Software\\Dravolen" /f >/dev/null 2>&1 || true
  wineserver -k || true
  exit $rc'
