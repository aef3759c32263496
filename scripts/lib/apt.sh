# Sourced by set-up's scripts, on the machine and in the Wine 10 root:
# apt that survives an archive in mid-sync. An index that cannot be read
# (one of many, for hours at a time) does not stop set-up; an install that
# fails on the mixed versions such a gap leaves is tried once more with the
# release's own suite preferred. Only a package that cannot be had at all
# stops it, named in one line. Callers set SUDO ("" or "sudo").

APT_TRIES=3
APT_RETRY_SECONDS="${SAVER_APT_RETRY_SECONDS:-5}"

apt_release() {
    sed -n 's/^VERSION_CODENAME=//p' /etc/os-release
}

# apt-get update, tried a few times. Indexes that still fail are named in one
# line each and the lists that were read are used. Once per shell: set-up
# installs in two steps.
apt_update() {
    [ -z "${APT_UPDATED:-}" ] || return 0
    APT_UPDATED=1
    out=$(mktemp)
    try=1
    while :; do
        if ${SUDO:-} apt-get update -q >"$out" 2>&1; then
            rm -f "$out"
            return 0
        fi
        [ "$try" -lt "$APT_TRIES" ] || break
        sleep $((APT_RETRY_SECONDS * try))
        try=$((try + 1))
    done
    # "Err:6 http://HOST/debian-security bookworm-security/main i386 Packages"
    sed -n 's/^Err:[0-9]* [^ ]* \(.*\)$/\1/p' "$out" | sort -u | while read -r index; do
        echo "note: the archive's index $index could not be read after $APT_TRIES tries; installing from the others"
    done
    grep -q '^Err:' "$out" || { cat "$out" >&2; echo "note: apt-get update failed ($out above); installing from the lists there are"; }
    rm -f "$out"
    return 0
}

# Installs packages without recommends. With --from SUITE, takes them from
# that suite (the backports, say). A failed install is tried once more with
# the release's own suite preferred for everything it pulls in; a package
# that has no version to install at all stops set-up.
# Usage: apt_install [--from SUITE] PACKAGE...
apt_install() {
    suite=""
    if [ "$1" = --from ]; then
        suite="$2"
        shift 2
    fi
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive ${SUDO:-} apt-get install -y -q --no-install-recommends \
        ${suite:+-t "$suite"} "$@" && return 0
    release=$(apt_release)
    echo "note: the install failed; trying once more with $release's own packages preferred"
    named=""
    for p in "$@"; do
        named="$named $p${suite:+/$suite}"
    done
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive ${SUDO:-} apt-get install -y -q --no-install-recommends \
        -t "$release" $named && return 0
    unavailable=""
    for p in "$@"; do
        candidate=$(apt-cache policy "$p" 2>/dev/null | sed -n 's/^ *Candidate: //p')
        case "$candidate" in "" | "(none)") unavailable="$unavailable $p" ;; esac
    done
    if [ -n "$unavailable" ]; then
        echo "set-up stops: no version of$unavailable can be had from the archive" >&2
    else
        echo "set-up stops: apt cannot install$named together (see above)" >&2
    fi
    return 1
}

# The machine's own Debian source entry for the release CODENAME, as the
# machine writes it: the first deb822 stanza that names that suite (without
# its comments), or else the first one-line entry; with SUITE, naming that
# suite instead. Prints the format ("sources" or "list") and the entry's
# archive (its first URI) on a line of their own, then the entry. Fails
# where there is none. Set-up copies the archive's host from it and never
# writes one into the repository.
# Usage: machine_entry CODENAME [SUITE]
machine_entry() {
    codename="$1"
    suite="${2:-$1}"
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        entry=$(awk -v codename="$codename" -v suite="$suite" 'BEGIN { RS = ""; FS = "\n" }
            $0 ~ ("(^|\n)Suites:([^\n]* )?" codename "( |\n|$)") && $0 ~ /(^|\n)Types:[^\n]*deb( |\n|$)/ {
                for (i = 1; i <= NF; i++) if ($i ~ /^URIs:/) { split($i, words, /[ \t]+/); print "sources " words[2] }
                for (i = 1; i <= NF; i++) if ($i !~ /^#/) print ($i ~ /^Suites:/ ? "Suites: " suite : $i)
                exit
            }' "$file")
        [ -z "$entry" ] || { echo "$entry"; return 0; }
    done
    [ -f /etc/apt/sources.list ] || return 1
    entry=$(awk -v codename="$codename" -v suite="$suite" '$1 == "deb" {
            # The last field of the options in brackets, if any; the URI and the suite follow.
            i = 1
            if ($2 ~ /^\[/) for (i = 2; i < NF && $i !~ /\]$/; i++);
            if ($(i + 2) == codename) { print "list " $(i + 1); $(i + 2) = suite; print; exit }
        }' /etc/apt/sources.list)
    [ -n "$entry" ] && echo "$entry"
}
