#!/bin/sh
# source-archive.sh VERSION OUTPUT.tar.gz: the committed source tree under unbank-VERSION/.
# A release is archived from its tag vVERSION; without that tag, from the last commit.
set -e
cd "$(dirname "$0")/.."
ref=HEAD
if git rev-parse -q --verify "refs/tags/v$1" >/dev/null; then
    ref="v$1"
fi
mkdir -p "$(dirname "$2")"
git archive --format=tar.gz --prefix="unbank-$1/" -o "$2" "$ref"
echo "$2: the tree of $ref ($(git rev-parse --short "$ref^{commit}"))"
if [ "$ref" = HEAD ] && ! git diff --quiet HEAD; then
    echo "note: changes not committed are not in the archive"
fi
