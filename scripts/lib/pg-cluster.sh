#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A throwaway PostgreSQL cluster for the tests and the benchmark, listening
# only on a Unix socket in its own folder (no TCP port is opened).
#
#   pg-cluster.sh start DIR [PORT]   new cluster in DIR (replacing one there),
#                                    user and database "kelvaro", trust login;
#                                    prints postgresql:///kelvaro?host=DIR&port=PORT&user=kelvaro
#   pg-cluster.sh stop DIR           stops it and removes DIR
#
# PostgreSQL refuses to run as root: as root the server runs as the package's
# "postgres" user, which then owns DIR.
set -euo pipefail

command=${1:?start or stop}
dir=${2:?folder of the cluster}
port=${3:-5432}
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ]; then
  echo "pg-cluster: PostgreSQL is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
fi

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

stop_cluster() {
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
}

case "$command" in
  start)
    stop_cluster
    mkdir -p "$dir"
    if [ "$(id -u)" -eq 0 ]; then chown postgres: "$dir"; fi
    as_owner "$bin/initdb" -D "$dir/data" -A trust -U kelvaro -E UTF8 --no-sync \
      >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" \
      -o "-k $dir -p $port -c listen_addresses=''" -w start >/dev/null \
      || { cat "$dir/server.log" >&2; exit 1; }
    as_owner "$bin/createdb" -h "$dir" -p "$port" -U kelvaro kelvaro
    echo "postgresql:///kelvaro?host=$dir&port=$port&user=kelvaro"
    ;;
  stop)
    stop_cluster
    ;;
  *)
    echo "usage: pg-cluster.sh start|stop DIR [PORT]" >&2
    exit 2
    ;;
esac
