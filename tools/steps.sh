# Sourced by the scripts a user starts by hand: `step "what now"` names the step being done, and
# any command that fails (set -e) ends the script with a message naming that step, so no failure
# passes silently.
SK_SCRIPT="$(basename "$0")"
SK_STEP="starting"
set -Eeuo pipefail

step() {
  SK_STEP="$*"
  echo "== $SK_SCRIPT: $*"
}

sk_report_failure() {
  local rc=$1 line=$2 command=$3
  # Subshells and command substitutions inherit the trap; the main shell alone reports.
  [ "$BASHPID" = "$$" ] || return 0
  echo "" >&2
  echo "$SK_SCRIPT: FAILED while $SK_STEP (exit code $rc, line $line: $command)" >&2
  echo "$SK_SCRIPT: the lines above say why; nothing after this step was done." >&2
}
trap 'sk_report_failure $? $LINENO "$BASH_COMMAND"' ERR
