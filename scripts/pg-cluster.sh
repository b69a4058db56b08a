# A throwaway PostgreSQL cluster for the server-ledger tests: made in a temporary folder by
# the postgres user (the server refuses to run as root), listening only on a Unix socket in
# that folder, and removed again by coffer_pg_stop.
# Usage: . scripts/pg-cluster.sh; coffer_pg_start; ...; coffer_pg_stop
# Exports COFFER_TEST_PGHOST (the socket folder), COFFER_TEST_PGDATA and COFFER_TEST_PGBIN.
coffer_pg_start() {
    COFFER_TEST_PGBIN=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
    coffer_pg_dir=$(mktemp -d /tmp/coffer-pg.XXXXXX)
    COFFER_TEST_PGHOST="$coffer_pg_dir"
    COFFER_TEST_PGDATA="$coffer_pg_dir/data"
    export COFFER_TEST_PGHOST COFFER_TEST_PGDATA COFFER_TEST_PGBIN
    as_postgres=""
    [ "$(id -u)" -eq 0 ] && as_postgres="runuser -u postgres --" && chown postgres "$coffer_pg_dir"
    $as_postgres "$COFFER_TEST_PGBIN/initdb" -D "$COFFER_TEST_PGDATA" -U postgres -E UTF8 \
        --locale=C.UTF-8 --no-sync -A trust >"$coffer_pg_dir/initdb.log" 2>&1 ||
        { cat "$coffer_pg_dir/initdb.log"; return 1; }
    # One role logs in with a password, so that a wrong one can be tried; all else is trusted.
    printf 'local all coffer_pw scram-sha-256\nlocal all all trust\n' \
        >"$COFFER_TEST_PGDATA/pg_hba.conf"
    $as_postgres "$COFFER_TEST_PGBIN/pg_ctl" -D "$COFFER_TEST_PGDATA" -l "$coffer_pg_dir/log" \
        -w -s -o "-c listen_addresses='' -c unix_socket_directories='$coffer_pg_dir' \
        -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
        start
}

coffer_pg_stop() {
    [ -n "${coffer_pg_dir:-}" ] || return 0
    $as_postgres "$COFFER_TEST_PGBIN/pg_ctl" -D "$COFFER_TEST_PGDATA" -s -m immediate stop \
        >/dev/null 2>&1 || true
    rm -rf "$coffer_pg_dir"
    coffer_pg_dir=""
}
