# Sourced: copy_tree DEST copies the source tree as a fresh checkout has it (the working tree as
# it stands, without builds and Git's store) into DEST; the reference unrar's node_modules come
# along, so nothing is fetched again.
sk_source_tree="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
copy_tree() {
  rm -rf "$1"
  mkdir -p "$1"
  tar -C "$sk_source_tree" --exclude=./build --exclude=./.git -cf - . | tar -C "$1" -xf -
}
