#!/usr/bin/env bash
# Prints through a real print system with no printer attached: starts a
# private CUPS daemon (its own folder, a socket in it; the system's CUPS and
# its configuration are left alone) with one virtual PDF printer, cups-pdf,
# named Virtual_PDF, and then
#   scripts/print-check.sh               prints a converted text as the README
#                                        shows (leafwright-cli convert - -o - <
#                                        notes.txt | lp) and checks that the
#                                        printed PDF holds the text;
#   scripts/print-check.sh COMMAND...    runs COMMAND with that print system
#                                        (CUPS_SERVER set), for example the
#                                        window under a virtual X server, and
#                                        lists the jobs and the PDFs printed.
# The printed PDFs land where cups-pdf puts them, in the folder PDF of the
# home of the user who printed. Needs root to install the packages that are
# missing and to run cups-pdf, which runs as root.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/common.sh
. "$root/scripts/common.sh"
install_packages cups printer-driver-cups-pdf poppler-utils
cli=${LEAFWRIGHT_CLI:-$root/build/bin/leafwright-cli}

work=$(mktemp -d /tmp/leafwright-print.XXXXXX)
daemon=
stop() {
  if [ -n "$daemon" ]; then kill "$daemon" 2>/dev/null || true; wait "$daemon" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap stop EXIT
# The filters run as the user lp: the folders must let it in.
chmod 755 "$work"
mkdir -p "$work"/{root/ppd,spool,cache,state,logs} "$work/temp"
chmod 1777 "$work/temp"
cat >"$work/root/cupsd.conf" <<CONF
Listen $work/cups.sock
LogLevel info
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF
cat >"$work/root/cups-files.conf" <<CONF
ServerRoot $work/root
RequestRoot $work/spool
CacheDir $work/cache
StateDir $work/state
TempDir $work/temp
AccessLog $work/logs/access_log
ErrorLog $work/logs/error_log
PageLog $work/logs/page_log
Printcap $work/printcap
FileDevice No
CONF
cupsd -f -c "$work/root/cupsd.conf" -s "$work/root/cups-files.conf" &
daemon=$!
export CUPS_SERVER=$work/cups.sock
for _ in $(seq 1 50); do
  lpstat -r >/dev/null 2>&1 && break
  sleep 0.1
done
lpstat -r >/dev/null || { echo "print-check.sh: the CUPS daemon did not start" >&2; exit 1; }
lpadmin -p Virtual_PDF -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null
lpadmin -d Virtual_PDF

# Waits until every job is done, for at most 60 s.
wait_for_jobs() {
  for _ in $(seq 1 600); do
    [ -z "$(lpstat -o 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  echo "print-check.sh: jobs still waiting after 60 s:" >&2
  lpstat -o >&2
  return 1
}
printed="${HOME:-/root}/PDF"
mkdir -p "$printed"
started=$work/started
touch "$started"

if [ $# -gt 0 ]; then
  status=0
  "$@" || status=$?
  wait_for_jobs || status=1
  echo "Jobs:"
  lpstat -W completed -o Virtual_PDF
  grep -h 'Job [0-9]* queued\|copies\|page-ranges\|sides' "$work/logs/error_log" || true
  echo "Printed:"
  find "$printed" -newer "$started" -name '*.pdf' -printf '  %p (%s bytes)\n'
  exit "$status"
fi

[ -x "$cli" ] || { echo "print-check.sh: no $cli: build it first" >&2; exit 1; }
printf 'Notes for the printer\nA second line (with brackets)\n' >"$work/notes.txt"
"$cli" convert - -o - <"$work/notes.txt" | lp -d Virtual_PDF
wait_for_jobs
pdf=$(find "$printed" -newer "$started" -name '*.pdf' | head -n 1)
if [ -z "$pdf" ] || ! pdftotext "$pdf" - | grep -q 'A second line (with brackets)'; then
  echo "print-check.sh: nothing printed with the text (log: $work/logs/error_log)" >&2
  tail -n 20 "$work/logs/error_log" >&2
  exit 1
fi
echo "Printed $pdf: $(pdftotext "$pdf" - | head -n 1)"
