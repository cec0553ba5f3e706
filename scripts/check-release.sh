#!/usr/bin/env bash
# Runs scripts/release.sh as a release would, with a throwaway certificate
# and a stand-in for the ARM64 ZIP that the workflow builds on Windows, and
# checks what it made: each ZIP holds exactly pathshrink.exe, README.md,
# LICENSE and the PowerShell module at its root, the module of the project's
# version, importing in pwsh where it is installed; SHA256SUMS checks; every manifest parses and has the
# fields its format needs and the ZIPs' hashes; the signature verifies with
# the certificate; the signed program runs under Wine and says the version.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-release: $*" >&2; exit 1; }
zip_files=(pathshrink.exe README.md LICENSE Pathshrink.psd1 Pathshrink.psm1 Pathshrink.Format.ps1xml)
zip_listing="LICENSE Pathshrink.Format.ps1xml Pathshrink.psd1 Pathshrink.psm1 README.md pathshrink.exe "
pwsh=$(scripts/powershell-tools.sh pwsh 2>/dev/null || true)

echo "== A throwaway code-signing certificate"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
  -days 2 -subj "/CN=pathshrink release check" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/sign.pfx" \
  -passout pass:throwaway

scripts/release.sh 9.9.9 "$work/wrong" >/dev/null 2>&1 && fail "a version that is not the project's was taken"
GITHUB_ACTIONS=true scripts/release.sh "$version" "$work/in-workflow" >/dev/null 2>&1 &&
  fail "inside the workflow, an x64 ZIP was built here instead of taken from its runner"

# The stand-in for the ARM64 ZIP: any program will do for the signature.
out="$work/out"
mkdir -p "$out" "$work/arm64"
cp build-windows/system/short_path_probe.exe "$work/arm64/pathshrink.exe"
cp README.md LICENSE integrations/powershell/Pathshrink.* "$work/arm64/"
rm -f "$work/arm64/Pathshrink.Tests.ps1"
(cd "$work/arm64" && cmake -E tar cf "$out/pathshrink-$version-windows-arm64.zip" --format=zip \
  "${zip_files[@]}")

echo "== scripts/release.sh $version"
PATHSHRINK_SIGN_PFX="$work/sign.pfx" PATHSHRINK_SIGN_PASSWORD=throwaway \
  PATHSHRINK_TIMESTAMP_URL=http://127.0.0.1:9/ PATHSHRINK_REPOSITORY=example/pathshrink \
  scripts/release.sh "$version" "$out"

# The README's own lines for checking a download: sha256sum here, and
# PowerShell's Get-FileHash in pwsh where it is installed.
check=$(grep -m1 '^sha256sum -c' README.md)
(cd "$out" && bash -c "$check" >/dev/null) || fail "SHA256SUMS does not check with: $check"
if [ -n "$pwsh" ]; then
  hash_line=$(grep -m1 '^Get-FileHash ' README.md | sed "s/VERSION/$version/")
  said=$(cd "$out" && "$pwsh" -NoProfile -NonInteractive -Command "($hash_line).Hash")
  listed=$(sed -n "s/^\([0-9a-f]*\)  pathshrink-$version-windows-x64.zip$/\1/p" "$out/SHA256SUMS")
  [ "${said,,}" = "$listed" ] || fail "the README's '$hash_line' says '$said', SHA256SUMS '$listed'"
fi
for arch in x64 arm64; do
  zip="$out/pathshrink-$version-windows-$arch.zip"
  mkdir "$work/unzipped-$arch"
  (cd "$work/unzipped-$arch" && cmake -E tar xf "$zip")
  [ "$(cd "$work/unzipped-$arch" && ls | LC_ALL=C sort | tr '\n' ' ')" = "$zip_listing" ] ||
    fail "$zip does not hold exactly $zip_listing at its root"
  grep -q "ModuleVersion *= *'$version'" "$work/unzipped-$arch/Pathshrink.psd1" ||
    fail "the module in $zip is not of version $version"
  if [ -n "$pwsh" ]; then
    commands=$("$pwsh" -NoProfile -NonInteractive -Command \
      "(Import-Module '$work/unzipped-$arch/Pathshrink.psd1' -PassThru).ExportedFunctions.Keys -join ' '")
    [ "$commands" = "Get-PathshrinkReport Get-PathshrinkShadow Save-Pathshrink Set-PathshrinkSession Undo-Pathshrink" ] ||
      fail "the module in $zip exports '$commands'"
  fi
  osslsigncode verify -CAfile "$work/cert.pem" -in "$work/unzipped-$arch/pathshrink.exe" \
    >"$work/verify-$arch.log" 2>&1 || { cat "$work/verify-$arch.log"; fail "the $arch signature does not verify"; }
done
said=$(scripts/wine.sh "$work/unzipped-x64/pathshrink.exe" --version 2>/dev/null | tr -d '\r')
[ "$said" = "pathshrink $version" ] || fail "the signed program says '$said'"

/usr/bin/python3 - "$out" "$version" <<'PY'
import hashlib, json, pathlib, sys, yaml
out, version = pathlib.Path(sys.argv[1]), sys.argv[2]
sums = {}
for line in (out / "SHA256SUMS").read_text().splitlines():
    digest, name = line.split("  ")
    sums[name] = digest
    assert hashlib.sha256((out / name).read_bytes()).hexdigest() == digest, name
def zip_of(arch):
    return f"pathshrink-{version}-windows-{arch}.zip"
def need(doc, fields, where):
    for field in fields:
        assert doc.get(field) not in (None, ""), f"{where}: no {field}"
winget = out / "winget"
ident = "Pathshrink.Pathshrink"
version_doc = yaml.safe_load((winget / f"{ident}.yaml").read_text())
need(version_doc, ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType",
                   "ManifestVersion"], "version manifest")
assert version_doc["ManifestType"] == "version" and str(version_doc["PackageVersion"]) == version
locale = yaml.safe_load((winget / f"{ident}.locale.en-US.yaml").read_text())
need(locale, ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName",
              "License", "ShortDescription", "ManifestType", "ManifestVersion"], "locale manifest")
assert locale["ManifestType"] == "defaultLocale"
installer = yaml.safe_load((winget / f"{ident}.installer.yaml").read_text())
need(installer, ["PackageIdentifier", "PackageVersion", "InstallerType", "NestedInstallerType",
                 "NestedInstallerFiles", "Installers", "ManifestType", "ManifestVersion"],
     "installer manifest")
assert installer["InstallerType"] == "zip" and installer["NestedInstallerType"] == "portable"
assert installer["NestedInstallerFiles"] == [
    {"RelativeFilePath": "pathshrink.exe", "PortableCommandAlias": "pathshrink"}]
for doc in (version_doc, locale, installer):
    assert doc["PackageIdentifier"] == ident and doc["ManifestVersion"] == "1.28.0"
arches = {i["Architecture"]: i for i in installer["Installers"]}
assert set(arches) == {"x64", "arm64"}, arches
for arch, entry in arches.items():
    assert entry["InstallerUrl"].endswith(f"/v{version}/{zip_of(arch)}"), entry
    assert entry["InstallerSha256"] == sums[zip_of(arch)].upper(), entry
scoop = json.loads((out / "pathshrink.json").read_text())
need(scoop, ["version", "description", "homepage", "license", "architecture", "bin", "checkver",
             "autoupdate"], "Scoop manifest")
assert scoop["version"] == version and scoop["bin"] == "pathshrink.exe"
for arch, key in (("x64", "64bit"), ("arm64", "arm64")):
    entry = scoop["architecture"][key]
    assert entry["url"].endswith(zip_of(arch)) and entry["hash"] == sums[zip_of(arch)], entry
    assert "$version" in scoop["autoupdate"]["architecture"][key]["url"]
print("manifests: winget (version, defaultLocale, installer) and Scoop, with both ZIPs' hashes")
PY
# As the release job runs it: both ZIPs given, as their runners built them;
# nothing is built here, and each program is signed in place.
given="$work/given"
mkdir -p "$given"
for arch in x64 arm64; do
  (cd "$work/arm64" && cmake -E tar cf "$given/pathshrink-$version-windows-$arch.zip" --format=zip \
    "${zip_files[@]}")
done
assembled=$(PATHSHRINK_SIGN_PFX="$work/sign.pfx" PATHSHRINK_SIGN_PASSWORD=throwaway \
  PATHSHRINK_TIMESTAMP_URL=http://127.0.0.1:9/ scripts/release.sh "$version" "$given")
grep -q "x64: .*, as its runner built it" <<<"$assembled" || fail "the given x64 ZIP was not taken as it is"
grep -q "Windows x64 build" <<<"$assembled" && fail "the x64 program was built again"
mkdir "$work/given-x64"
(cd "$work/given-x64" && cmake -E tar xf "$given/pathshrink-$version-windows-x64.zip")
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/given-x64/pathshrink.exe" >/dev/null 2>&1 ||
  fail "the given x64 ZIP's program was not signed"
(cd "$given" && sha256sum -c SHA256SUMS >/dev/null) || fail "SHA256SUMS of the given ZIPs does not check"

echo "release: both ZIPs signed and laid out with the module${pwsh:+ (imported in pwsh)}, SHA256SUMS checks, manifests parse; runs under Wine"
