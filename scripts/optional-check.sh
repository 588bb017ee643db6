# Sourced by the checks that `make test` runs with --optional (the Windows
# build, the game in a browser), whose tools a developer's machine may lack.
#
# install_or_skip OPTIONAL SKIP_VARIABLE DEPENDENCIES WHAT
#   Installs DEPENDENCIES (a set of install-deps.sh). When OPTIONAL is true,
#   the check is skipped instead, with a line that says so and exit status 0,
#   if SKIP_VARIABLE (the name of a variable) is 1 or if the tools are missing
#   and this user cannot install them. WHAT names the check in that line.

install_or_skip() {
  eval "skip=\${$2:-0}"
  if $1 && [ "$skip" = 1 ]; then
    echo "$4 not checked: $2=1."
    exit 0
  fi
  status=0
  scripts/install-deps.sh "$3" || status=$?
  if [ "$status" -ne 0 ]; then
    if [ "$status" -eq 3 ] && $1; then
      echo "$4 not checked: its tools are missing (see above)."
      exit 0
    fi
    exit "$status"
  fi
}
