# Intune Remediations: the detection script. Run as the signed-in user (the
# user's Path is in HKEY_CURRENT_USER). pathshrink --check exits 1 only when
# the Path is not in its desired state, which is what makes Intune run the
# remediation; 0 means in state, and any other status (the tool could not
# answer) means nothing to do. The line it prints names no one (--redact).
& pathshrink.exe --check --user --redact
exit $LASTEXITCODE
