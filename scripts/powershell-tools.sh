#!/usr/bin/env bash
# PowerShell 7 and Pester, for the PowerShell module's cases, installed
# through the .NET SDK's own package client (a .NET tool and a package
# restore) into one folder outside the work tree, so that a fresh clone
# finds them again.
#   powershell-tools.sh install   install what is missing (nothing without dotnet)
#   powershell-tools.sh pwsh      print pwsh's path; status 1 where it is not installed
#   powershell-tools.sh pester    print Pester's manifest; status 1 where it is not installed
set -euo pipefail
tools=${PATHSHRINK_TOOLS:-$HOME/.cache/pathshrink-tools}
pwsh_version=7.6.10   # 7.7.0 is served, but does not install here
pester_version=5.7.1  # the newest 5.x: Pester 5 runs on Windows PowerShell 5.1 and pwsh alike
pwsh="$tools/pwsh-$pwsh_version/pwsh"
pester="$tools/nuget/pester/$pester_version/tools/Pester.psd1"

case "${1:-}" in
  pwsh) [ -x "$pwsh" ] && echo "$pwsh" ;;
  pester) [ -f "$pester" ] && echo "$pester" ;;
  install)
    if ! command -v dotnet >/dev/null 2>&1; then
      echo "PowerShell cases not run: no .NET SDK (dotnet) to install PowerShell 7 and Pester with" >&2
      exit 0
    fi
    export DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1 DOTNET_SKIP_FIRST_TIME_EXPERIENCE=1
    if [ ! -x "$pwsh" ]; then
      echo "Installing PowerShell $pwsh_version in $tools" >&2
      dotnet tool install PowerShell --version "$pwsh_version" --tool-path "$(dirname "$pwsh")" >&2
    fi
    if [ ! -f "$pester" ]; then
      echo "Installing Pester $pester_version in $tools" >&2
      project=$(mktemp -d)
      trap 'rm -rf "$project"' EXIT
      cat >"$project/restore.csproj" <<XML
<Project Sdk="Microsoft.NET.Sdk">
  <PropertyGroup><TargetFramework>net$(dotnet --version | cut -d. -f1).0</TargetFramework></PropertyGroup>
  <ItemGroup><PackageDownload Include="Pester" Version="[$pester_version]" /></ItemGroup>
</Project>
XML
      dotnet restore "$project/restore.csproj" --packages "$tools/nuget" >&2
    fi
    ;;
  *) echo "usage: scripts/powershell-tools.sh install|pwsh|pester" >&2; exit 2 ;;
esac
