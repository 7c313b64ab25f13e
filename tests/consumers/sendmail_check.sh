#!/usr/bin/env bash
# Feeds tables written with "RouteType ifmail" to sendmail itself.
#
# sendmail's makemap and its address test mode (sendmail -bt), together with
# the ifmail mailers, are taken from Debian's packages and unpacked into a
# scratch folder: nothing is installed and no mail server is started. For
# each configuration below the real spokeway binary writes its table into a
# destination that holds the operator's own lines around the markers; then
#   - makemap must accept the whole destination file and store every line
#     that is not a comment, and
#   - "/parse" of sample addresses must name the mailer and host that the
#     configuration calls for. The expectations are written below as data,
#     each with the reasoning that leads to it.
#
# Usage: sendmail_check.sh [spokeway-binary [work-folder]]
#   spokeway-binary  default build/release/spokeway (built when missing)
#   work-folder      default build/sendmail-check; the downloaded packages
#                    are kept in its debs/ folder for the next run
#
# When the packages cannot be had the check is skipped (exit 0, a "SKIP:"
# line); under CI (the environment variable CI is set) that is a failure.
set -u

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
SPOKEWAY=${1:-}
WORK=${2:-$ROOT/build/sendmail-check}
NODELISTS=$ROOT/../shared/data/nodelists
PACKAGES=(sendmail-bin sendmail-cf ifgate m4 libwrap0)

passed=0
failed=0

pass() {
    echo "PASS  $*"
    passed=$((passed + 1))
}

fail() {
    echo "FAIL  $*"
    failed=$((failed + 1))
}

summary() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

# Something this check needs is missing from the machine.
unavailable() {
    if [ -n "${CI:-}" ]; then
        fail "sendmail check cannot run: $* (required under CI)"
        summary
    fi
    echo "SKIP: sendmail check: $*"
    exit 0
}

# Shows the end of a log, indented, under a failed check.
show_log() {
    tail -n "${2:-15}" "$1" | sed 's/^/        /'
}

# ---------------------------------------------------------------------------
# The program under test

if [ -z "$SPOKEWAY" ]; then
    SPOKEWAY=$ROOT/build/release/spokeway
    if [ ! -x "$SPOKEWAY" ]; then
        echo "Building $SPOKEWAY ..."
        generator=()
        if command -v ninja >/dev/null 2>&1; then
            generator=(-G Ninja)
        fi
        if ! { cmake -S "$ROOT" -B "$ROOT/build/release" "${generator[@]}" \
                   -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
               cmake --build "$ROOT/build/release" --target spokeway; } >/dev/null; then
            fail "building spokeway"
            summary
        fi
    fi
fi
if [ ! -x "$SPOKEWAY" ]; then
    fail "no spokeway binary at $SPOKEWAY"
    summary
fi
SPOKEWAY=$(cd "$(dirname "$SPOKEWAY")" && pwd)/$(basename "$SPOKEWAY")

# ---------------------------------------------------------------------------
# sendmail, its configuration and the ifmail mailers, in a scratch folder

mkdir -p "$WORK/debs" || unavailable "cannot create $WORK"
WORK=$(cd "$WORK" && pwd)

command -v apt-get >/dev/null 2>&1 || unavailable "apt-get is not available"
command -v dpkg >/dev/null 2>&1 || unavailable "dpkg is not available"

missing_packages() {
    local package
    for package in "${PACKAGES[@]}"; do
        compgen -G "$WORK/debs/${package}_*.deb" >/dev/null || echo "$package"
    done
}

# Downloads into a fresh folder and keeps the packages only when all arrived.
download() {
    local incoming=$WORK/debs/incoming
    rm -rf "$incoming" && mkdir -p "$incoming" &&
        (cd "$incoming" && apt-get download "$@") >>"$WORK/apt.log" 2>&1 &&
        mv "$incoming"/*.deb "$WORK/debs/" && rmdir "$incoming"
}

mapfile -t wanted < <(missing_packages)
if [ "${#wanted[@]}" -gt 0 ]; then
    echo "Downloading ${wanted[*]} ..."
    : >"$WORK/apt.log"
    if ! download "${wanted[@]}"; then
        # The package lists may be missing or out of date.
        apt-get update >>"$WORK/apt.log" 2>&1
        download "${wanted[@]}" || {
            show_log "$WORK/apt.log" 5
            unavailable "cannot download the Debian packages ${wanted[*]}"
        }
    fi
fi

SYS=$WORK/root
rm -rf "$SYS" && mkdir -p "$SYS"
for deb in "$WORK"/debs/*.deb; do
    dpkg -x "$deb" "$SYS" || unavailable "cannot unpack $(basename "$deb")"
done

SM=$SYS/usr/libexec/sendmail
CFDIR=$SYS/usr/share/sendmail/cf
M4=$SYS/usr/bin/m4
WRAPLIB=$(dirname "$(find "$SYS" -name 'libwrap.so.0' | head -n 1)")
if ! [ -x "$SM/sendmail" ] || ! [ -x "$SM/makemap" ] || ! [ -x "$M4" ] ||
    ! [ -f "$CFDIR/mailer/ifmail.m4" ] || [ "$WRAPLIB" = . ]; then
    unavailable "the unpacked packages lack sendmail, makemap, m4, libwrap or the ifmail mailers"
fi
# The unpacked sendmail is set-group-id, which would make the loader ignore
# LD_LIBRARY_PATH; this copy needs no privileges.
chmod g-s "$SM/sendmail"
export LD_LIBRARY_PATH=$WRAPLIB${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}

# The site configuration: the ifmail mailers with the mailer table. The
# mailers run /bin/true, so nothing could be delivered even by mistake.
# ifgate defines ifmail, ifmail-c (crash) and ifmail-h (hold); the table
# names ifmail-n for direct and normal links, which a site defines itself,
# here as a plain ifmail mailer.
TABLE=$WORK/mailertable
cat >"$WORK/check.mc" <<EOF
OSTYPE(\`linux')dnl
define(\`confDONT_PROBE_INTERFACES', \`True')dnl
define(\`IFMAIL_MAILER_PATH', \`/bin/true')dnl
FEATURE(\`mailertable', \`hash -o $TABLE')dnl
MAILER(\`local')dnl
MAILER(\`smtp')dnl
MAILER(\`ifmail')dnl
MAILER_DEFINITIONS
Mifmail-n,	P=IFMAIL_MAILER_PATH, F=8mDFMuCS, S=11, R=21, T=X-FTN/RFC822/X-Unix, U=ftn:ftn,
		A=ifmail -r \$h \$u
EOF
# ifgate's mailers run as the user and group ftn ("U=ftn:ftn"), which this
# machine need not have, and sendmail 8.17 misreads a group given by name
# there; the ids are given as numbers instead.
if ! "$M4" -D_CF_DIR_="$CFDIR/" "$CFDIR/m4/cf.m4" "$WORK/check.mc" 2>"$WORK/m4.log" |
        sed 's/U=ftn:ftn/U=65534:65534/' >"$WORK/check.cf" ||
        [ -s "$WORK/m4.log" ]; then
    fail "m4 builds the sendmail configuration"
    show_log "$WORK/m4.log"
    summary
fi
for mailer in ifmail ifmail-c ifmail-h ifmail-n; do
    grep -q "^M$mailer," "$WORK/check.cf" || {
        fail "the sendmail configuration defines the mailer $mailer"
        summary
    }
done

# At start sendmail looks for a qualified name of this host and waits a
# minute when it finds none. Where the host name has no domain, sendmail runs
# in a namespace of its own with a qualified name, when that can be had.
HOSTWRAP=()
case "$(hostname 2>/dev/null)" in
*.*) ;;
*)
    for wrap in "unshare --uts" "unshare --uts --map-root-user"; do
        if $wrap sh -c 'hostname sendmail-check.invalid' >/dev/null 2>&1; then
            read -r -a HOSTWRAP <<<"$wrap"
            break
        fi
    done
    if [ "${#HOSTWRAP[@]}" -eq 0 ]; then
        echo "note: the host name has no domain and cannot be changed here;" \
             "sendmail waits a minute at each start"
    fi
    ;;
esac

sendmail_test_mode() {
    if [ "${#HOSTWRAP[@]}" -gt 0 ]; then
        "${HOSTWRAP[@]}" sh -c 'hostname sendmail-check.invalid && exec "$@"' sh \
            "$SM/sendmail" -C "$WORK/check.cf" -O DontBlameSendmail=MapInUnsafeDirPath -bt
    else
        "$SM/sendmail" -C "$WORK/check.cf" -O DontBlameSendmail=MapInUnsafeDirPath -bt
    fi
}

# ---------------------------------------------------------------------------
# One configuration: run spokeway, load the table, resolve the samples

# The operator's own lines around the markers. They name hosts of another
# network under ".ftn", which ifgate's rules make canonical without asking
# the name service.
write_destination() {
    cat >"$1" <<'EOF'
# mailer table of the gateway
othernet.ftn	ifmail:f1.n1.z99.othernet.ftn
# begin of routing
old lines of an earlier run
# end of routing
.othernet.ftn	ifmail-h:f1.n1.z99.othernet.ftn
EOF
}

# check_case NAME FOLDER EXPECTATIONS-FILE
# FOLDER holds pathgen.cfg (writing into "mailertable") and what it names.
# EXPECTATIONS-FILE: one sample a line, "address mailer host reason...";
# lines starting with "#" are comments.
check_case() {
    local name=$1 dir=$2 expectations=$3

    if ! (cd "$dir" && "$SPOKEWAY" pathgen.cfg) >"$dir/spokeway.out" 2>"$dir/spokeway.err"; then
        fail "$name: spokeway writes the table (exit $?)"
        show_log "$dir/spokeway.err"
        return
    fi
    pass "$name: spokeway writes the table"

    rm -f "$TABLE.db"
    local lines
    lines=$(grep -c -v -e '^#' -e '^$' "$dir/mailertable")
    # makemap reports a line it cannot take as "line N: ..."; some of these
    # are only warnings and leave the exit status 0.
    if "$SM/makemap" -C "$WORK/check.cf" hash "$TABLE" <"$dir/mailertable" \
            >"$dir/makemap.log" 2>&1 && ! grep -q ': line [0-9]*:' "$dir/makemap.log"; then
        pass "$name: makemap accepts the whole destination file ($(wc -l <"$dir/mailertable") lines)"
    else
        fail "$name: makemap accepts the whole destination file"
        show_log "$dir/makemap.log"
        return
    fi

    # Every line that is not a comment must be stored as it stands, the key
    # folded to lower case.
    grep -v -e '^#' -e '^$' "$dir/mailertable" |
        awk '{ key = $1; sub(/^[^ \t]+[ \t]+/, ""); print tolower(key) "\t" $0 }' |
        LC_ALL=C sort >"$dir/map.expected"
    "$SM/makemap" -C "$WORK/check.cf" -u hash "$TABLE" 2>/dev/null | LC_ALL=C sort >"$dir/map.stored"
    if cmp -s "$dir/map.expected" "$dir/map.stored"; then
        pass "$name: the map holds every table and operator line ($lines entries)"
    else
        fail "$name: the map holds every table and operator line"
        diff "$dir/map.expected" "$dir/map.stored" | head -n 10 | sed 's/^/        /'
    fi

    local -a addresses=() mailers=() hosts=() reasons=()
    local address mailer host reason
    while read -r address mailer host reason; do
        case "$address" in '' | '#'*) continue ;; esac
        addresses+=("$address")
        mailers+=("$mailer")
        hosts+=("$host")
        reasons+=("$reason")
    done <"$expectations"

    printf '/parse %s\n' "${addresses[@]}" | sendmail_test_mode >"$dir/parse.out" 2>&1
    # Each answer follows the prompt "> " that precedes it.
    awk '/^> / { block++; sub(/^> /, "") } block { print >(dir "/parse." block) }' \
        dir="$dir" "$dir/parse.out"

    local i got answer
    for i in "${!addresses[@]}"; do
        answer=$dir/parse.$((i + 1))
        got=$(sed -n 's/^mailer \([^,]*\), host \([^,]*\), user .*/\1 \2/p' "$answer" 2>/dev/null)
        if [ "$got" = "${mailers[i]} ${hosts[i]}" ]; then
            pass "$name: ${addresses[i]} -> ${mailers[i]} ${hosts[i]}"
        else
            if [ -z "$got" ]; then
                got=$(grep -v -E -e '^[A-Za-z0-9_]+ +(input|returns):' \
                    -e '^(Cracked address|Parsing envelope|WARNING)' "$answer" 2>/dev/null |
                    head -n 2 | tr '\n' ' ')
            fi
            fail "$name: ${addresses[i]} -> expected ${mailers[i]} ${hosts[i]} (${reasons[i]}), got: ${got:-nothing}"
        fi
    done
}

CASES=$WORK/cases
rm -rf "$CASES"
mkdir -p "$CASES"

# ---------------------------------------------------------------------------
# 1. The ifmail writer's worked example

dir=$CASES/worked_example
mkdir -p "$dir"
cat >"$dir/pathgen.cfg" <<'EOF'
Address 2:460/10
RouteType ifmail
Minimize yes
WriteTo mailertable
RouteBegin "# begin of routing"
RouteEnd "# end of routing"
DefaultFlavor h
Link 2:460/1 c
Link 461/7 hf
RouteFile routes.txt
EOF
printf '2:460/1 5 461/3 8 462/*\n' >"$dir/routes.txt"
write_destination "$dir/mailertable"
# Lookups go from the exact host through .n<net>.z<zone>.fidonet.org and
# .z<zone>.fidonet.org to .fidonet.org; a point p<n>.f<node>... is found by
# the node's dotted key. A host the table does not cover goes to sendmail's
# SMTP mailer for the host itself (the trailing dot is ifgate's
# canonical form of fidonet.org names).
cat >"$dir/expected" <<'EOF'
joe@f1.n460.z2.fidonet.org      ifmail-c f1.n460.z2.fidonet.org  the crash link itself
joe@p4.f1.n460.z2.fidonet.org   ifmail-c f1.n460.z2.fidonet.org  a point of the crash link
joe@f7.n461.z2.fidonet.org      ifmail-h f7.n461.z2.fidonet.org  link 461/7 "hf": hold (file adds no mailer)
joe@p1.f7.n461.z2.fidonet.org   ifmail-h f7.n461.z2.fidonet.org  a point of the hold link
joe@f5.n460.z2.fidonet.org      ifmail-c f1.n460.z2.fidonet.org  routed via 2:460/1
joe@p3.f5.n460.z2.fidonet.org   ifmail-c f1.n460.z2.fidonet.org  a point of 2:460/5
joe@f3.n461.z2.fidonet.org      ifmail-c f1.n460.z2.fidonet.org  routed via 2:460/1
joe@f8.n461.z2.fidonet.org      ifmail-c f1.n460.z2.fidonet.org  routed via 2:460/1
joe@f99.n462.z2.fidonet.org     ifmail-c f1.n460.z2.fidonet.org  net 462 routed via 2:460/1
joe@p2.f99.n462.z2.fidonet.org  ifmail-c f1.n460.z2.fidonet.org  a point in net 462
joe@f6.n460.z2.fidonet.org      esmtp    f6.n460.z2.fidonet.org. no rule for other nodes of net 460
joe@f9.n461.z2.fidonet.org      esmtp    f9.n461.z2.fidonet.org. only 461/3 and 461/8 are routed
joe@f5.n460.z1.fidonet.org      esmtp    f5.n460.z1.fidonet.org. nothing routes zone 1
joe@f7.n3.z99.othernet.ftn      ifmail-h f1.n1.z99.othernet.ftn  the operator's own line after the end marker
EOF
check_case "worked example" "$dir" "$dir/expected"

# The same in a destination with CR LF line ends, which the table then takes
# over. makemap keeps the CR at the end of each value; sendmail's parser
# drops it, so the lookups come out the same.
crlf=$CASES/worked_example_crlf
mkdir -p "$crlf"
cp "$dir/pathgen.cfg" "$dir/routes.txt" "$crlf/"
write_destination "$crlf/mailertable.lf"
sed 's/$/\r/' "$crlf/mailertable.lf" >"$crlf/mailertable"
check_case "worked example, CR LF" "$crlf" "$dir/expected"

# ---------------------------------------------------------------------------
# 2. Links of every flavour, node, net, zone and world entries, points

dir=$CASES/flavours
mkdir -p "$dir"
cat >"$dir/pathgen.cfg" <<'EOF'
; gateway 2:5020/100, every entry written (no minimisation)
Address 2:5020/100
RouteType ifmail
Minimize no
WriteTo mailertable
RouteBegin "# begin of routing"
RouteEnd "# end of routing"
DefaultFlavor d
Link 2:5020/1 c
Link 2:5020/2 h
Link 2:5020/3 d
Link 2:5020/4
RouteFile routes.txt
DefaultRoute 2:5020/1 World
EOF
cat >"$dir/routes.txt" <<'EOF'
; zone 2 on hold via 5020/2, two nets directly via 5020/3
2:5020/2 2:*/*
2:5020/3 5030/* 5040/*
; single nodes via the normal link, one in zone 1
2:5020/4 5030/7 2:5050/9 1:123/45
; a node reached through another routed node
2:5050/9 2:5060/1
; zone 3 via a node that nothing routes
3:633/1 3:*/*
; our own downlinks, not named on Link lines
> 2:5020/100 2:5020/20 2:5020/21 22
EOF
write_destination "$dir/mailertable"
# The operator's line for the gateway's own points: the table must not name
# the gateway, else the key would repeat and makemap refuse the file.
printf '.f100.n5020.z2.fidonet.org\tifmail:f100.n5020.z2.fidonet.org\n' >>"$dir/mailertable"
cat >"$dir/expected" <<'EOF'
joe@f1.n5020.z2.fidonet.org     ifmail-c f1.n5020.z2.fidonet.org   the crash link itself
joe@f2.n5020.z2.fidonet.org     ifmail-h f2.n5020.z2.fidonet.org   the hold link itself
joe@f3.n5020.z2.fidonet.org     ifmail-n f3.n5020.z2.fidonet.org   a direct link goes by the normal mailer
joe@p7.f3.n5020.z2.fidonet.org  ifmail-n f3.n5020.z2.fidonet.org   a point of the direct link
joe@f4.n5020.z2.fidonet.org     ifmail-n f4.n5020.z2.fidonet.org   a link without letters is normal
joe@f8.n5030.z2.fidonet.org     ifmail-n f3.n5020.z2.fidonet.org   net 5030 via the direct link
joe@p1.f8.n5040.z2.fidonet.org  ifmail-n f3.n5020.z2.fidonet.org   a point in net 5040
joe@f7.n5030.z2.fidonet.org     ifmail-n f4.n5020.z2.fidonet.org   the node rule outranks its net
joe@p2.f7.n5030.z2.fidonet.org  ifmail-n f4.n5020.z2.fidonet.org   a point of that node
joe@f9.n5050.z2.fidonet.org     ifmail-n f4.n5020.z2.fidonet.org   routed via the normal link
joe@f1.n5060.z2.fidonet.org     ifmail-n f4.n5020.z2.fidonet.org   via 2:5050/9, which goes via 5020/4
joe@f2.n5060.z2.fidonet.org     ifmail-h f2.n5020.z2.fidonet.org   the rest of zone 2 is on hold
joe@f5.n5020.z2.fidonet.org     ifmail-h f2.n5020.z2.fidonet.org   a node of our own net without rule
joe@f20.n5020.z2.fidonet.org    ifmail-n f20.n5020.z2.fidonet.org  our downlink, a link of DefaultFlavor d
joe@f21.n5020.z2.fidonet.org    ifmail-n f20.n5020.z2.fidonet.org  routed via the downlink
joe@p1.f22.n5020.z2.fidonet.org ifmail-n f20.n5020.z2.fidonet.org  a point of a node behind the downlink
joe@f45.n123.z1.fidonet.org     ifmail-n f4.n5020.z2.fidonet.org   a node of zone 1 with its own rule
joe@f46.n123.z1.fidonet.org     ifmail-c f1.n5020.z2.fidonet.org   the rest of the world via the crash link
joe@f5.n633.z3.fidonet.org      ifmail-c f1.n5020.z2.fidonet.org   zone 3's via 3:633/1 is unrouted, so the world entry applies
joe@f1.n633.z3.fidonet.org      ifmail-c f1.n5020.z2.fidonet.org   the unrouted node itself, under the world entry
joe@othernet.ftn                ifmail   f1.n1.z99.othernet.ftn    the operator's own line before the begin marker
joe@p1.f100.n5020.z2.fidonet.org ifmail  f100.n5020.z2.fidonet.org the operator's line for our own points
EOF
check_case "flavours" "$dir" "$dir/expected"

# ---------------------------------------------------------------------------
# 3. Hub routes of a real nodelist (nodelistdb/nodelist.002), read from the
#    shared data beside the project. What the samples rest on, from the list:
#    net 2:460: 13 15 16 55 58 201 before the first hub (so via the host
#      2:460/0), Hub 200 with 112 113 440, Hub 300 with 30 34 35 36 37;
#    net 2:461 (its Host line stands twice): 73 ... 1024 via the host,
#      Hub 43 with 18 125 169 800 1148 1313, Hub 58 with 66 777,
#      Hub 76, Hub 145 with 7 32 67 112 144 207 299 416, Hub 444, Hub 640;
#    net 2:4613: Hub 13 with 7 10 40, Hub 54 with 1 ... 255 777 2222,
#      Hub 213 with 50 83 99 111 666;
#    net 1:275: 1 89 100 112 215 372 via the host, Hub 400 with 412 416;
#      then a Region 14 line (which ends the net) with 1 2 5 250 400 9999.

dir=$CASES/nodelist
mkdir -p "$dir"
if [ -f "$NODELISTS/nodelistdb/nodelist.002" ]; then
    ln -s "$NODELISTS" "$dir/nodelists"
    cat >"$dir/pathgen.cfg" <<'EOF'
Address 2:460/999
RouteType ifmail
Minimize yes
WriteTo mailertable
RouteBegin "# begin of routing"
RouteEnd "# end of routing"
Link 2:460/200 c
Link 2:461/43 h
Link 2:461/145 d
Link 2:4613/13
Link 1:275/400 h
Spokeway nodelists/nodelistdb/nodelist.002 Z 2 460
Spokeway nodelists/nodelistdb/nodelist.002 Z 2 461
Spokeway nodelists/nodelistdb/nodelist.002 N 2 4613
Spokeway nodelists/nodelistdb/nodelist.002 Z 1 275
; hubs and hosts that are no links are reached through these
DefaultRoute 2:460/200 2:*/*
DefaultRoute 2:461/43 2:461/*
EOF
    write_destination "$dir/mailertable"
    cat >"$dir/expected" <<'EOF'
joe@f200.n460.z2.fidonet.org    ifmail-c f200.n460.z2.fidonet.org  the crash link, hub 200 of net 460
joe@f113.n460.z2.fidonet.org    ifmail-c f200.n460.z2.fidonet.org  under hub 200
joe@f201.n460.z2.fidonet.org    ifmail-c f200.n460.z2.fidonet.org  via the host 2:460/0, which goes by 2:*/*
joe@f300.n460.z2.fidonet.org    ifmail-c f200.n460.z2.fidonet.org  hub 300 goes by 2:*/*
joe@p1.f35.n460.z2.fidonet.org  ifmail-c f200.n460.z2.fidonet.org  a point under hub 300
joe@f43.n461.z2.fidonet.org     ifmail-h f43.n461.z2.fidonet.org   the hold link, hub 43 of net 461
joe@f1148.n461.z2.fidonet.org   ifmail-h f43.n461.z2.fidonet.org   under hub 43
joe@p2.f18.n461.z2.fidonet.org  ifmail-h f43.n461.z2.fidonet.org   a point of a Hold node under hub 43
joe@f66.n461.z2.fidonet.org     ifmail-h f43.n461.z2.fidonet.org   hub 58 goes by 2:461/*
joe@f73.n461.z2.fidonet.org     ifmail-h f43.n461.z2.fidonet.org   via the host 2:461/0, which goes by 2:461/*
joe@f9999.n461.z2.fidonet.org   ifmail-h f43.n461.z2.fidonet.org   not listed: net 461 via 2:461/43
joe@f145.n461.z2.fidonet.org    ifmail-n f145.n461.z2.fidonet.org  the direct link, hub 145
joe@f299.n461.z2.fidonet.org    ifmail-n f145.n461.z2.fidonet.org  under hub 145
joe@p1.f7.n461.z2.fidonet.org   ifmail-n f145.n461.z2.fidonet.org  a point of a Pvt node under hub 145
joe@f13.n4613.z2.fidonet.org    ifmail-n f13.n4613.z2.fidonet.org  the normal link, hub 13 of net 4613
joe@f40.n4613.z2.fidonet.org    ifmail-n f13.n4613.z2.fidonet.org  a Down node under hub 13
joe@f255.n4613.z2.fidonet.org   ifmail-c f200.n460.z2.fidonet.org  under hub 54, which goes by 2:*/*
joe@f666.n4613.z2.fidonet.org   ifmail-c f200.n460.z2.fidonet.org  under hub 213, which goes by 2:*/*
joe@f5.n5020.z2.fidonet.org     ifmail-c f200.n460.z2.fidonet.org  a net not scanned goes by 2:*/*
joe@f400.n275.z1.fidonet.org    ifmail-h f400.n275.z1.fidonet.org  the hold link in zone 1, hub 400 of net 275
joe@f416.n275.z1.fidonet.org    ifmail-h f400.n275.z1.fidonet.org  under hub 400
joe@f89.n275.z1.fidonet.org     esmtp    f89.n275.z1.fidonet.org.  via the host 1:275/0, which nothing routes
joe@f5.n275.z1.fidonet.org      esmtp    f5.n275.z1.fidonet.org.   listed under Region 14, not in net 275
joe@f1.n106.z1.fidonet.org      esmtp    f1.n106.z1.fidonet.org.   nothing routes the rest of zone 1
EOF
    check_case "nodelist" "$dir" "$dir/expected"
elif [ -n "${CI:-}" ]; then
    fail "nodelist: no nodelist at $NODELISTS/nodelistdb/nodelist.002"
else
    echo "skip  nodelist: no nodelist at $NODELISTS/nodelistdb/nodelist.002"
fi

summary
