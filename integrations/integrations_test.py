"""Checks the integration files against the tool they call: every flag they
pass is one the tool's --help lists, and each does what the README says
(detection passes --check --user's status through, remediation writes,
the DSC manifest's get, test and set run the tool with --json, Ansible's
change is the report's "stored"). PowerShell and DSC do not run here; their
files are read. Usage: integrations_test.py TOOL SOURCE_DIR"""
import json
import pathlib
import re
import subprocess
import sys

import yaml

tool, source = sys.argv[1], pathlib.Path(sys.argv[2])
here = source / "integrations"
help_text = subprocess.run([tool, "--help"], capture_output=True, text=True, check=True).stdout
documented = set(re.findall(r"(?<![\w-])(--[a-z-]+)", help_text))
version = re.search(r"^\s*VERSION ([0-9.]+)$", (source / "CMakeLists.txt").read_text(), re.M)[1]
failures = []


def check(holds, what):
    if not holds:
        failures.append(what)


def flags_of(words):
    return [w for w in words if w.startswith("-")]


def tool_calls(script):
    """The argument lists of each `& pathshrink.exe ...` line."""
    return [line.split()[2:] for line in script.splitlines()
            if line.strip().startswith("& pathshrink.exe")]


for name in ("Detect-PathShrink.ps1", "Remediate-PathShrink.ps1"):
    calls = tool_calls((here / name).read_text())
    check(calls, f"{name}: no call of pathshrink.exe")
    for call in calls:
        for flag in flags_of(w for w in call if w not in ("2>&1", "|")):
            check(flag in documented, f"{name}: {flag} is not a flag of the tool")
    # What Intune uploads (standard output and error) names no one: every
    # call redacts, or sends nothing anywhere.
    for line in (here / name).read_text().splitlines():
        if line.strip().startswith("& pathshrink.exe"):
            check("--redact" in line.split() or line.rstrip().endswith("2>&1 | Out-Null"),
                  f"{name}: a call that neither redacts nor discards its output: {line.strip()}")
detect = (here / "Detect-PathShrink.ps1").read_text()
check(tool_calls(detect)[-1][:2] == ["--check", "--user"], "detection: not --check --user")
check(detect.rstrip().endswith("exit $LASTEXITCODE"), "detection: does not pass the status through")
remediate = (here / "Remediate-PathShrink.ps1").read_text()
check(["--user", "--write"] == tool_calls(remediate)[0][:2], "remediation: not --user --write")
check("exit $stored" in remediate, "remediation: does not exit with the write's status")

manifest = json.loads((here / "pathshrink.dsc.resource.json").read_text())
for field in ("$schema", "type", "version", "get", "schema"):
    check(field in manifest, f"DSC manifest: no {field}")
check(manifest["version"] == version, f"DSC manifest: version {manifest['version']}, not {version}")
check(re.fullmatch(r"\w+(\.\w+)*/\w+", manifest["type"]) is not None, "DSC manifest: type")
for method in ("get", "test", "set"):
    command = manifest[method]
    check(command["executable"] == "pathshrink", f"DSC {method}: executable")
    check("--json" in command["args"] and "--user" in command["args"], f"DSC {method}: not --user --json")
    for flag in flags_of(command["args"]):
        check(flag in documented, f"DSC {method}: {flag} is not a flag of the tool")
    check(command.get("input") in ("env", "stdin") or any(
        isinstance(a, dict) for a in command["args"]), f"DSC {method}: no way to pass input")
check("--write" in manifest["set"]["args"], "DSC set: does not write")
check("--write" not in manifest["get"]["args"] + manifest["test"]["args"], "DSC get/test write")
check(manifest["test"].get("return") == "state", "DSC test: return")
instance = manifest["schema"]["embedded"]
check("_inDesiredState" in instance.get("properties", {}), "DSC schema: no _inDesiredState")
# The tool's own report holds the property test reads.
report_schema = json.loads((source / "docs/pathshrink-report.schema.json").read_text())
check("_inDesiredState" in report_schema["required"], "the report has no _inDesiredState")
for code in manifest.get("exitCodes", {}):
    check(code != "1" and code != "10", f"DSC exitCodes: {code} is --check's, not --json's")

play = yaml.safe_load((here / "ansible-pathshrink.yml").read_text())
task = play[0]["tasks"][0]
command = task["ansible.windows.win_command"].split()
check(command[0] == "pathshrink.exe" and "--write" in command and "--json" in command,
      "Ansible: not pathshrink.exe --write --json")
for flag in flags_of(command):
    check(flag in documented, f"Ansible: {flag} is not a flag of the tool")
check(".stored" in task["changed_when"] and "from_json" in task["changed_when"],
      "Ansible: changed_when does not read the report's stored")
check("stored" in report_schema["required"], "the report has no stored")

for failure in failures:
    print("integrations:", failure)
print(f"{0 if failures else 1} passed, {len(failures) and 1} failed")
sys.exit(1 if failures else 0)
