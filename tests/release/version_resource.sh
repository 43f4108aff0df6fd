#!/bin/sh
# version_resource.sh VERSION PROGRAM.exe...: each program's version resource, as exiftool reads
# it, gives VERSION as file and product version, UNBANK as the product, the program's own file
# name, a description, and the copyright line of LICENSE.
license=$(dirname "$0")/../../LICENSE
version=$1
shift
tab=$(printf '\t')
rows=$(exiftool -T -FileName -FileVersionNumber -ProductVersionNumber -FileVersion \
    -ProductVersion -ProductName -OriginalFileName -FileDescription -LegalCopyright "$@") || exit 1
[ "$(printf '%s\n' "$rows" | grep -c .)" = $# ] || exit 1
status=0
while IFS=$tab read -r name numbers_file numbers_product file product_version product original \
    description copyright; do
    if [ "$numbers_file $numbers_product $file $product_version $product $original" != \
        "$version.0 $version.0 $version $version UNBANK $name" ] ||
        [ "$description" = - ] || ! grep -qxF -- "$copyright" "$license"; then
        echo "$name: the version resource reads: $numbers_file, $numbers_product, $file," \
            "$product_version, $product, $original, $description, $copyright"
        status=1
    fi
done <<EOF
$rows
EOF
exit $status
