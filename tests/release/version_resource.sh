#!/bin/sh
# version_resource.sh VERSION PROGRAM.exe...: each program's version resource, as exiftool reads
# it, gives VERSION as file and product version, UNBANK as the product, the program's own file
# name, a description, and the copyright line of LICENSE.
license=$(dirname "$0")/../../LICENSE
version=$1
shift
status=0
for program; do
    expected=$(printf '%s\n' "$version.0" "$version.0" "$version" "$version" UNBANK \
        "$(basename "$program")")
    got=$(exiftool -s3 -FileVersionNumber -ProductVersionNumber -FileVersion -ProductVersion \
        -ProductName -OriginalFileName "$program")
    description=$(exiftool -s3 -FileDescription "$program")
    copyright=$(exiftool -s3 -LegalCopyright "$program")
    if [ "$got" != "$expected" ] || [ -z "$description" ] || [ -z "$copyright" ] ||
        ! grep -qxF "$copyright" "$license"; then
        printf '%s: the version resource reads\n%s\n%s\n%s\n' "$program" "$got" "$description" \
            "$copyright"
        status=1
    fi
done
exit $status
