#!/usr/bin/env bash
# Assembles what a release publishes, in OUTDIR:
# - pathshrink-VERSION-windows-x64.zip and -arm64.zip, as the workflow's
#   runners built and tested them and put them in OUTDIR (pathshrink.exe,
#   README.md, LICENSE and the PowerShell module's three files at the ZIP's
#   root), each program signed in place
#   when PATHSHRINK_SIGN_PFX names a PKCS#12 certificate
#   (PATHSHRINK_SIGN_PASSWORD its password); where no x64 ZIP is there, one
#   is made from the MinGW build, so the whole can be checked on Linux;
# - SHA256SUMS for every pathshrink-*.zip in OUTDIR, which `sha256sum -c`
#   checks;
# - winget/: the three manifests (version, defaultLocale, installer);
# - pathshrink.json: the Scoop manifest.
# VERSION must be the project's version (CMakeLists.txt), the one
# --version prints and the executable's version information carries.
# PATHSHRINK_REPOSITORY (owner/name; GITHUB_REPOSITORY in a workflow) names
# where the release's files are downloaded from.
# Usage: scripts/release.sh VERSION OUTDIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 2 ] || { echo "usage: scripts/release.sh VERSION OUTDIR" >&2; exit 1; }
version=$1
mkdir -p "$2"
out=$(cd "$2" && pwd)
fail() { echo "release: $*" >&2; exit 1; }

project=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' "$root/CMakeLists.txt")
[ "$version" = "$project" ] ||
  fail "version $version is not the project's ($project, in CMakeLists.txt)"
repository=${PATHSHRINK_REPOSITORY:-${GITHUB_REPOSITORY:-pathshrink/pathshrink}}
homepage="https://github.com/$repository"
download="$homepage/releases/download/v$version"

# What each ZIP holds, at its root.
zip_files=(pathshrink.exe README.md LICENSE Pathshrink.psd1 Pathshrink.psm1 Pathshrink.Format.ps1xml)

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# Each ZIP as the runner of its architecture built and tested it (the
# workflow puts them in OUTDIR first). Where the x64 one is not there (a
# check on this machine), it is made here from the MinGW build.
x64="$out/pathshrink-$version-windows-x64.zip"
if [ -f "$x64" ]; then
  echo "== Windows x64: $x64, as its runner built it"
elif [ -n "${GITHUB_ACTIONS:-}" ]; then
  # In the workflow each ZIP comes from the runner that built and tested it:
  # one made here would ship MinGW's program in place of MSVC's.
  fail "no $x64 from its runner: the workflow builds no ZIP here"
else
  echo "== Windows x64 build (MinGW, here)"
  cd "$root"
  cmake --preset windows >/dev/null
  cmake --build --preset windows
  cmake --install build-windows --prefix "$stage/x64" >/dev/null
  (cd "$stage/x64" && cmake -E tar cf "$x64" --format=zip "${zip_files[@]}")
  echo "$x64"
fi

if [ -n "${PATHSHRINK_SIGN_PFX:-}" ]; then
  sign=(osslsigncode sign -pkcs12 "$PATHSHRINK_SIGN_PFX" -pass "${PATHSHRINK_SIGN_PASSWORD:-}"
    -n pathshrink -i "$homepage" -h sha256)
  # A timestamp keeps the signature valid after the certificate expires;
  # where no timestamp server answers, the signatures go without one.
  timestamp=${PATHSHRINK_TIMESTAMP_URL:-http://timestamp.digicert.com}
  timestamp_args=(-ts "$timestamp")
  for arch in x64 arm64; do
    zip="$out/pathshrink-$version-windows-$arch.zip"
    [ -f "$zip" ] || continue
    echo "== Signing the program in $zip"
    mkdir "$stage/sign-$arch"
    (cd "$stage/sign-$arch" && cmake -E tar xf "$zip")
    unsigned="$stage/pathshrink-$arch-unsigned.exe"
    mv "$stage/sign-$arch/pathshrink.exe" "$unsigned"
    signed="$stage/sign-$arch/pathshrink.exe"
    if ! "${sign[@]}" ${timestamp_args[@]+"${timestamp_args[@]}"} -in "$unsigned" -out "$signed" \
      >/dev/null 2>&1; then
      [ ${#timestamp_args[@]} -gt 0 ] || fail "osslsigncode could not sign with $PATHSHRINK_SIGN_PFX"
      echo "$timestamp did not answer: signed without a timestamp"
      timestamp_args=()
      rm -f "$signed"
      "${sign[@]}" -in "$unsigned" -out "$signed" >/dev/null ||
        fail "osslsigncode could not sign with $PATHSHRINK_SIGN_PFX"
    fi
    rm "$zip"
    (cd "$stage/sign-$arch" && cmake -E tar cf "$zip" --format=zip "${zip_files[@]}")
  done
else
  echo "== Not signed: PATHSHRINK_SIGN_PFX names no certificate"
fi

echo "== SHA256SUMS, winget and Scoop manifests"
cd "$out"
zips=(pathshrink-"$version"-windows-*.zip)
sha256sum "${zips[@]}" >SHA256SUMS
hash_of() { sed -n "s/^\([0-9a-f]*\)  pathshrink-$version-windows-$1.zip$/\1/p" SHA256SUMS; }
arches=()
for arch in x64 arm64; do [ -n "$(hash_of "$arch")" ] && arches+=("$arch"); done

id=Pathshrink.Pathshrink
schema="https://aka.ms/winget-manifest"
manifest=1.28.0
mkdir -p winget
cat >"winget/$id.yaml" <<YAML
# yaml-language-server: \$schema=$schema.version.$manifest.schema.json
PackageIdentifier: $id
PackageVersion: $version
DefaultLocale: en-US
ManifestType: version
ManifestVersion: $manifest
YAML
cat >"winget/$id.locale.en-US.yaml" <<YAML
# yaml-language-server: \$schema=$schema.defaultLocale.$manifest.schema.json
PackageIdentifier: $id
PackageVersion: $version
PackageLocale: en-US
Publisher: The pathshrink developers
PackageName: pathshrink
PackageUrl: $homepage
License: MIT
LicenseUrl: $homepage/blob/v$version/LICENSE
ShortDescription: Shortens a Windows search path such as PATH without losing a directory.
Moniker: pathshrink
Tags:
- path
- environment
- cli
ManifestType: defaultLocale
ManifestVersion: $manifest
YAML
{
  echo "# yaml-language-server: \$schema=$schema.installer.$manifest.schema.json"
  echo "PackageIdentifier: $id"
  echo "PackageVersion: $version"
  echo "InstallerType: zip"
  echo "NestedInstallerType: portable"
  echo "NestedInstallerFiles:"
  echo "- RelativeFilePath: pathshrink.exe"
  echo "  PortableCommandAlias: pathshrink"
  echo "Installers:"
  for arch in "${arches[@]}"; do
    echo "- Architecture: $arch"
    echo "  InstallerUrl: $download/pathshrink-$version-windows-$arch.zip"
    echo "  InstallerSha256: $(hash_of "$arch" | tr a-f A-F)"
  done
  echo "ManifestType: installer"
  echo "ManifestVersion: $manifest"
} >"winget/$id.installer.yaml"

scoop_arch() { [ "$1" = x64 ] && echo 64bit || echo "$1"; }
{
  echo "{"
  echo "  \"version\": \"$version\","
  echo "  \"description\": \"Shortens a Windows search path such as PATH without losing a directory.\","
  echo "  \"homepage\": \"$homepage\","
  echo "  \"license\": \"MIT\","
  echo "  \"architecture\": {"
  for i in "${!arches[@]}"; do
    arch=${arches[$i]}
    comma=$([ "$i" -lt $((${#arches[@]} - 1)) ] && echo "," || true)
    echo "    \"$(scoop_arch "$arch")\": {"
    echo "      \"url\": \"$download/pathshrink-$version-windows-$arch.zip\","
    echo "      \"hash\": \"$(hash_of "$arch")\""
    echo "    }$comma"
  done
  echo "  },"
  echo "  \"bin\": \"pathshrink.exe\","
  echo "  \"checkver\": \"github\","
  echo "  \"autoupdate\": {"
  echo "    \"architecture\": {"
  for i in "${!arches[@]}"; do
    arch=${arches[$i]}
    comma=$([ "$i" -lt $((${#arches[@]} - 1)) ] && echo "," || true)
    echo "      \"$(scoop_arch "$arch")\": {"
    echo "        \"url\": \"$homepage/releases/download/v\$version/pathshrink-\$version-windows-$arch.zip\""
    echo "      }$comma"
  done
  echo "    }"
  echo "  }"
  echo "}"
} >pathshrink.json
echo "$out: ${zips[*]}, SHA256SUMS, winget/, pathshrink.json"
