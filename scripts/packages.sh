# Sourced by the scripts that install what they need:
#   packages_install [--no-install-recommends] GROUP... [-- EXTRA_PACKAGE...]
# installs the packages of those groups of scripts/packages.txt (and the extra
# ones) that are not installed yet. packages_list GROUP... prints them.

packages_file="$(dirname "${BASH_SOURCE[0]}")/packages.txt"

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
package_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# The packages of the named groups, one a line, each once, in file order.
packages_list() {
  awk -v wanted=" $* " '
    /^[[:space:]]*(#|$)/ { next }
    /^\[.*\]$/ { group = substr($0, 2, length($0) - 2); known[group] = 1; next }
    index(wanted, " " group " ") { for (i = 1; i <= NF; i++) if (!seen[$i]++) print $i }
    END {
      n = split(wanted, names, " ")
      for (i = 1; i <= n; i++)
        if (!(names[i] in known)) { print "packages.txt has no group " names[i] > "/dev/stderr"; exit 1 }
    }' "$packages_file"
}

packages_install() {
  local apt_options=() groups=() extra=() missing=() wanted p
  if [ "${1:-}" = --no-install-recommends ]; then apt_options+=("$1"); shift; fi
  while [ $# -gt 0 ] && [ "$1" != -- ]; do groups+=("$1"); shift; done
  [ "${1:-}" = -- ] && shift
  extra=("$@")
  wanted=$(packages_list "${groups[@]}") || return 1
  for p in $wanted "${extra[@]}"; do package_installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing ${missing[*]}"
  # An index of the archive that fails to download must not stop an install
  # whose packages are all still there; the install itself decides.
  as_root apt-get update -qq || echo "== apt-get update failed for some index; installing anyway"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${apt_options[@]}" "${missing[@]}"
}
