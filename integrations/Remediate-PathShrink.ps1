# Intune Remediations: the remediation script, run as the signed-in user.
# Stores the user's Path shortened, after a backup in
# %LOCALAPPDATA%\pathshrink\backups, and prints the state it left (one line,
# naming no one) for Intune's report.
& pathshrink.exe --user --write 2>&1 | Out-Null
$stored = $LASTEXITCODE
& pathshrink.exe --check --user --redact
exit $stored
