# Sourced by the set-up scripts: installing missing Debian packages and fetching Debian source
# packages without touching the machine's apt sources.

# install_missing PACKAGE...: installs those of the packages that are not installed.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "$(basename "$0" .sh): installing ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" != 0 ]; then sudo=sudo; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# fetch_sources APT_FOLDER DEST PACKAGE...: unpacks Debian's source packages into DEST through an
# apt configuration of our own under APT_FOLDER, with the same mirror as the machine's lists.
fetch_sources() {
  local apt=$1 dest=$2 uri
  shift 2
  mkdir -p "$apt/lists/partial" "$dest"
  uri=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n1)
  [ -n "$uri" ] || uri=$(awk '$1 == "deb" { print $2; exit }' /etc/apt/sources.list 2>/dev/null)
  echo "deb-src $uri bookworm main" >"$apt/SRC.list"
  local opts=(-o "Dir::Etc::sourcelist=$apt/SRC.list" -o Dir::Etc::sourceparts=- -o "Dir::State::Lists=$apt/lists"
    -o Debug::NoLocking=1)
  apt-get "${opts[@]}" -qq update
  (cd "$dest" && apt-get "${opts[@]}" -qq source "$@" >/dev/null)
}
