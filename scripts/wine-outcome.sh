# Sourced by wine-test.sh (how ctest runs a Windows test program) and by the
# end-to-end tests (scripts/window.sh): what a program's run under Wine came to.
#
# wine_outcome CODE ERRORS: prints, for a run that ended with exit code CODE and
# wrote the file ERRORS as Wine's stderr,
#   faulted    Wine reported an unhandled exception in the program ("wine:
#              Unhandled ..."), whatever CODE is: for a fault Wine mostly exits
#              with the exception's code (5 for an access violation), but about
#              one run in twenty with 0;
#   wine-died  a Unix signal killed Wine (CODE 129 to 192): that comes from
#              Wine's own runtime, never from the program, whose faults Wine
#              turns into exceptions;
#   passed     CODE 0;
#   failed     any other CODE.
wine_outcome() {
  if grep -q '^wine: Unhandled ' "$2" 2>/dev/null; then
    echo faulted
  elif [ "$1" -gt 128 ] && [ "$1" -le 192 ]; then
    echo wine-died
  elif [ "$1" -eq 0 ]; then
    echo passed
  else
    echo failed
  fi
}
