#Requires -Version 5.1
# The Pathshrink module: PowerShell commands over pathshrink's --json report.
# Every command runs the program and reads what it writes as data (the
# report, or the new list itself); nothing is read from its text for people.
Set-StrictMode -Version 3.0

$script:IsWindowsHost = [System.IO.Path]::DirectorySeparatorChar -eq '\'

# --- private helpers ------------------------------------------------------

# The program: beside this module, else the first on PATH, as found when
# the module was imported or first found since (a session may go on to set
# a PATH without it).
function Find-PathshrinkProgram {
    if ($script:Program -and (Test-Path -LiteralPath $script:Program -PathType Leaf)) { return $script:Program }
    $names = if ($script:IsWindowsHost) { @('pathshrink.exe') } else { @('pathshrink') }
    foreach ($name in $names) {
        $beside = Join-Path $PSScriptRoot $name
        if (Test-Path -LiteralPath $beside -PathType Leaf) { return ($script:Program = $beside) }
    }
    $found = Get-Command -Name $names -CommandType Application -ErrorAction SilentlyContinue |
        Select-Object -First 1
    if ($found) { return ($script:Program = $found.Source) }
    throw [System.IO.FileNotFoundException]::new(
        "pathshrink is neither beside the module ($PSScriptRoot) nor on PATH")
}

# One argument as the C runtime splits a command line: quoted where it holds
# a space, a tab or a quote, with backslashes doubled before a quote.
function ConvertTo-CommandLineArgument([string]$Argument) {
    if ($Argument.Length -gt 0 -and $Argument -notmatch '[\s"]') { return $Argument }
    $quoted = [System.Text.StringBuilder]::new('"')
    $backslashes = 0
    foreach ($c in $Argument.ToCharArray()) {
        if ($c -eq '\') { $backslashes++; continue }
        if ($c -eq '"') { [void]$quoted.Append('\', 2 * $backslashes + 1) }
        elseif ($backslashes -gt 0) { [void]$quoted.Append('\', $backslashes) }
        $backslashes = 0
        [void]$quoted.Append($c)
    }
    [void]$quoted.Append('\', 2 * $backslashes).Append('"')
    $quoted.ToString()
}

# Runs the program with `Arguments`, `InputText` (if any) on its standard
# input as UTF-8 with a byte-order mark, so that no code page is involved;
# returns its status and what it wrote to each stream, read as UTF-8.
function Invoke-PathshrinkProgram {
    param([string[]]$Arguments, [AllowNull()][string]$InputText)
    $start = [System.Diagnostics.ProcessStartInfo]::new((Find-PathshrinkProgram))
    $start.Arguments = ($Arguments | ForEach-Object { ConvertTo-CommandLineArgument $_ }) -join ' '
    $start.UseShellExecute = $false
    $start.RedirectStandardInput = $true
    $start.RedirectStandardOutput = $true
    $start.RedirectStandardError = $true
    $utf8 = [System.Text.UTF8Encoding]::new($false)
    $start.StandardOutputEncoding = $utf8
    $start.StandardErrorEncoding = $utf8
    $process = [System.Diagnostics.Process]::Start($start)
    try {
        $out = $process.StandardOutput.ReadToEndAsync()
        $err = $process.StandardError.ReadToEndAsync()
        # A program that stops early closes its end: what it did not read is
        # not wanted, and its status says why.
        try {
            if ($null -ne $InputText) {
                [byte[]]$bytes = [System.Text.UTF8Encoding]::new($true).GetPreamble() + $utf8.GetBytes($InputText)
                $process.StandardInput.BaseStream.Write($bytes, 0, $bytes.Length)
            }
            $process.StandardInput.Close()
        } catch [System.IO.IOException] {
        } catch [System.Management.Automation.MethodInvocationException] {
        }
        $process.WaitForExit()
        [pscustomobject]@{ Status = $process.ExitCode; Out = $out.Result; Err = $err.Result }
    } finally {
        $process.Dispose()
    }
}

# The current session's PATH as the program's ';'-separated list.
function Get-SessionList {
    $path = [Environment]::GetEnvironmentVariable('PATH')
    if ($null -eq $path) { $path = '' }
    if ($script:IsWindowsHost) { return $path }
    $entries = $path.Split([System.IO.Path]::PathSeparator)
    if ($entries | Where-Object { $_.Contains(';') }) {
        throw "An entry of PATH holds ';', which the program reads as a separator: it cannot be judged"
    }
    $entries -join ';'
}

# The arguments that say where the list comes from, and the options all
# commands share. A live list goes on standard input.
function Get-SourceArguments($Bound) {
    $arguments = [System.Collections.Generic.List[string]]::new()
    $inputText = $null
    if ($Bound.ContainsKey('Scope')) {
        $arguments.Add('--' + $Bound['Scope'].ToLowerInvariant())
    } else {
        $arguments.Add('-')
        $inputText = if ($Bound.ContainsKey('Path')) { $Bound['Path'] } else { Get-SessionList }
    }
    foreach ($junction in @($Bound['Junction'] | Where-Object { $_ })) {
        $arguments.Add('-j')
        $arguments.Add($junction)
    }
    if ($Bound.ContainsKey('Target')) {
        $arguments.Add('--target')
        $arguments.Add([string]$Bound['Target'])
    }
    [pscustomobject]@{ Arguments = $arguments.ToArray(); InputText = $inputText }
}

# The --json report of a run, or a terminating error that says why there is none.
function Get-JsonReport($Source, [string[]]$More) {
    $arguments = @($Source.Arguments) + @('--json') + @($More | Where-Object { $_ })
    $run = Invoke-PathshrinkProgram -Arguments $arguments -InputText $Source.InputText
    foreach ($line in ($run.Err -split "`r?`n" | Where-Object { $_ })) { Write-Verbose $line }
    if (-not $run.Out.Trim()) {
        throw "pathshrink wrote no report (status $($run.Status)): $($run.Err.Trim())"
    }
    $report = $run.Out | ConvertFrom-Json
    if ($report.PSObject.Properties['error']) {
        throw "pathshrink: $($report.error) (status $($report.exitStatus))"
    }
    $report
}

function Get-Field($Object, [string]$Name) {
    $property = $Object.PSObject.Properties[$Name]
    if ($property) { $property.Value } else { $null }
}

function New-Summary($Report) {
    $summary = [pscustomobject]@{
        PSTypeName     = 'Pathshrink.Summary'
        Source         = $Report.source.kind
        ValueType      = $Report.valueType
        LengthBefore   = $Report.lengths.before
        LengthAfter    = $Report.lengths.after
        Saving         = $Report.lengths.before - $Report.lengths.after
        Counts         = $Report.counts
        NewWindow      = $Report.newWindow
        Findings       = @($Report.findings)
        InDesiredState = $Report._inDesiredState
        ExitStatus     = $Report.exitStatus
    }
    $summary
}

# --- public commands -------------------------------------------------------

function Get-PathshrinkReport {
    <#
    .SYNOPSIS
    What pathshrink makes of each entry of a search path, as objects.
    .DESCRIPTION
    Runs pathshrink --json on the current session's PATH (by default), on a
    list you give (-Path), or on the user's or the machine's stored Path
    (-Scope, Windows). Writes one object per entry, in order: its number,
    the entry, what it becomes ($null where it is left out), the outcome,
    the reason and the characters it saves, as pathshrink --explain shows
    them. Each object's Summary property (or -Summary alone) holds the
    lengths before and after, the counts of each outcome, and, for a stored
    Path, a new window's PATH length and the limits it is past.
    Nothing is changed.
    .PARAMETER Path
    A ';'-separated list to judge, in place of the session's PATH.
    .PARAMETER Scope
    User or Machine: the Path stored for the user or the machine (Windows).
    .PARAMETER Junction
    Directory junctions whose targets may begin entries; each is written in
    place of its target.
    .PARAMETER Target
    Rewrite only as many entries as it takes for the list to be at most this
    many characters (2047 for the Environment Variables dialog, 8191 for cmd.exe).
    .PARAMETER Summary
    Return the summary object alone.
    .EXAMPLE
    Get-PathshrinkReport
    The table pathshrink --explain shows, for this session's PATH.
    .EXAMPLE
    Get-PathshrinkReport | Where-Object Outcome -eq 'missing'
    The entries that name no folder.
    .EXAMPLE
    Get-PathshrinkReport -Scope User -Summary
    The user's stored Path: lengths, counts and a new window's limits.
    .EXAMPLE
    (Get-PathshrinkReport -Path 'C:\Program Files\Git\cmd;C:\Old Tools')[0].Summary.LengthAfter
    The length the given list would have.
    #>
    [CmdletBinding(DefaultParameterSetName = 'Session')]
    [OutputType('Pathshrink.Entry', 'Pathshrink.Summary')]
    param(
        [Parameter(Mandatory, Position = 0, ParameterSetName = 'List')]
        [ValidateNotNullOrEmpty()]
        [string]$Path,
        [Parameter(Mandatory, ParameterSetName = 'Stored')]
        [ValidateSet('User', 'Machine')]
        [string]$Scope,
        [ValidateNotNullOrEmpty()]
        [string[]]$Junction,
        [ValidateRange(1, 32766)]
        [int]$Target,
        [switch]$Summary
    )
    $report = Get-JsonReport (Get-SourceArguments $PSBoundParameters)
    $overall = New-Summary $report
    if ($Summary) { return $overall }
    foreach ($record in $report.entries) {
        $repeatOf = $record.repeatOf
        [pscustomobject]@{
            PSTypeName     = 'Pathshrink.Entry'
            Number         = $record.index + 1
            Entry          = $record.given
            Becomes        = $record.written
            Outcome        = $record.outcome
            Reason         = $record.reason
            Saving         = $record.saving
            Junction       = $record.junction
            RepeatOf       = if ($null -ne $repeatOf) { $repeatOf + 1 } else { $null }
            MachineEntry   = Get-Field $record 'machineEntry'
            PutBack        = [bool](Get-Field $record 'putBack')
            WrittenFor     = $record.writtenFor
            UserChangeable = $record.userChangeable
            Summary        = $overall
        }
    }
}

function Set-PathshrinkSession {
    <#
    .SYNOPSIS
    Shortens this session's PATH.
    .DESCRIPTION
    Sets $env:PATH to the list pathshrink makes of it: short names, no
    missing folders, no repeats. Only this session changes; nothing is
    stored. On Linux and macOS the platform's ':' separator is read and
    written. Honours -WhatIf and -Confirm.
    .PARAMETER Junction
    Directory junctions to write in place of their targets.
    .PARAMETER Target
    Rewrite only as many entries as it takes for PATH to be at most this
    many characters.
    .PARAMETER PassThru
    Return the new PATH.
    .EXAMPLE
    Set-PathshrinkSession -WhatIf
    Says what would change, and changes nothing.
    .EXAMPLE
    Set-PathshrinkSession -Confirm:$false
    Shortens this session's PATH without asking.
    #>
    [CmdletBinding(SupportsShouldProcess)]
    [OutputType([string])]
    param(
        [ValidateNotNullOrEmpty()]
        [string[]]$Junction,
        [ValidateRange(1, 32766)]
        [int]$Target,
        [switch]$PassThru
    )
    $before = [string][Environment]::GetEnvironmentVariable('PATH')
    $source = Get-SourceArguments $PSBoundParameters
    $run = Invoke-PathshrinkProgram -Arguments $source.Arguments -InputText $source.InputText
    if ($run.Status -ne 0) {
        throw "pathshrink failed (status $($run.Status)): $($run.Err.Trim())"
    }
    $new = $run.Out -replace '\r?\n\z', ''
    if (-not $script:IsWindowsHost) {
        $new = ($new.Split(';') -join [System.IO.Path]::PathSeparator)
    }
    if (-not $new -and $before) {
        throw 'pathshrink left no entry of PATH: nothing changed'
    }
    if ($new -ceq $before) {
        Write-Verbose 'PATH is as short as pathshrink makes it: nothing to change'
    } elseif ($PSCmdlet.ShouldProcess('$env:PATH',
            "Set to the shortened list ($($before.Length) characters before, $($new.Length) after)")) {
        [Environment]::SetEnvironmentVariable('PATH', $new)
    }
    if ($PassThru) { [Environment]::GetEnvironmentVariable('PATH') }
}

function Assert-Windows([string]$Command) {
    if (-not $script:IsWindowsHost) {
        throw [System.PlatformNotSupportedException]::new(
            "$Command is for Windows: it stores the Path in the registry, which this system does not have")
    }
}

function Save-Pathshrink {
    <#
    .SYNOPSIS
    Stores the shortened user's or machine's Path, after a backup (Windows).
    .DESCRIPTION
    Runs pathshrink --write for the scope: it saves a backup of the stored
    Path exactly as it is, stores the new one, checks that it reads back, and
    tells running programs. New windows get the new PATH. Returns what was
    done: the backup's path, the lengths before and after, and the command
    that undoes it. The machine's Path needs an administrator.
    .PARAMETER Scope
    User or Machine.
    .PARAMETER Junction
    Directory junctions to write in place of their targets.
    .PARAMETER Target
    Rewrite only as many entries as it takes to be at most this many characters.
    .EXAMPLE
    Save-Pathshrink -Scope User -WhatIf
    Says what would be stored, and stores nothing.
    .EXAMPLE
    $saved = Save-Pathshrink -Scope User -Confirm:$false; $saved.Undo
    Stores the user's Path and shows the line that puts it back.
    #>
    [CmdletBinding(SupportsShouldProcess, ConfirmImpact = 'High')]
    [OutputType('Pathshrink.Saved')]
    param(
        [Parameter(Mandatory)]
        [ValidateSet('User', 'Machine')]
        [string]$Scope,
        [ValidateNotNullOrEmpty()]
        [string[]]$Junction,
        [ValidateRange(1, 32766)]
        [int]$Target
    )
    Assert-Windows 'Save-Pathshrink'
    $source = Get-SourceArguments $PSBoundParameters
    $preview = Get-JsonReport $source
    if ($preview._inDesiredState) {
        Write-Verbose "The $Scope Path is as short as pathshrink makes it: nothing to store"
        return
    }
    $what = "the $($Scope.ToLowerInvariant())'s Path ($($preview.lengths.before) characters, $($preview.lengths.after) after)"
    if (-not $PSCmdlet.ShouldProcess($what, 'Store the shortened value after a backup')) { return }
    $report = Get-JsonReport $source @('--write')
    if (-not $report.stored) {
        throw "pathshrink stored nothing (status $($report.exitStatus)); see: pathshrink --help"
    }
    [pscustomobject]@{
        PSTypeName   = 'Pathshrink.Saved'
        Scope        = $Scope
        Backup       = $report.backup
        LengthBefore = $report.lengths.before
        LengthAfter  = $report.lengths.after
        Undo         = "Undo-Pathshrink -Backup '$($report.backup -replace "'", "''")'"
    }
}

function Undo-Pathshrink {
    <#
    .SYNOPSIS
    Puts back a Path from a backup Save-Pathshrink or pathshrink --write made (Windows).
    .DESCRIPTION
    Imports the backup (a .reg file) with reg.exe, which restores the Path
    exactly as it was. New windows get it.
    .PARAMETER Backup
    The .reg file named by Save-Pathshrink or pathshrink --write.
    .EXAMPLE
    Undo-Pathshrink -Backup "$env:LOCALAPPDATA\pathshrink\backups\Path-user-20261209-101500.reg"
    Puts the user's Path back as it was before that write.
    #>
    [CmdletBinding(SupportsShouldProcess, ConfirmImpact = 'High')]
    param(
        [Parameter(Mandatory, Position = 0, ValueFromPipelineByPropertyName)]
        [ValidateScript({ Test-Path -LiteralPath $_ -PathType Leaf })]
        [string]$Backup
    )
    process {
        Assert-Windows 'Undo-Pathshrink'
        if (-not $PSCmdlet.ShouldProcess($Backup, 'Import the Path it holds')) { return }
        $output = & reg.exe import $Backup 2>&1
        if ($LASTEXITCODE -ne 0) {
            throw "reg import failed (status $LASTEXITCODE): $output"
        }
    }
}

function Get-PathshrinkShadow {
    <#
    .SYNOPSIS
    Which file a program name starts, where more than one folder holds one.
    .DESCRIPTION
    Runs pathshrink --shadows --json and writes one object per file: the
    name, the file, and what cmd.exe, CreateProcess (Windows), a POSIX shell
    (elsewhere) and PowerShell make of it: 'runs', 'never' (another is found
    first) or $null (that way never looks for it). PowerShell runs an alias,
    a function or a cmdlet of the name before any file: where this session
    has one, it comes first, and every file is 'never' for PowerShell.
    .PARAMETER Name
    Only these names.
    .PARAMETER Path
    A ';'-separated list, in place of the session's PATH.
    .PARAMETER Scope
    User or Machine: a new window's whole PATH from the stored Paths (Windows).
    .EXAMPLE
    Get-PathshrinkShadow -Name python, ssh
    Which python and ssh start, from each shell.
    .EXAMPLE
    Get-PathshrinkShadow | Where-Object Pwsh -eq 'runs'
    The file PowerShell starts for each name several folders answer to.
    #>
    [CmdletBinding(DefaultParameterSetName = 'Session')]
    [OutputType('Pathshrink.Shadow')]
    param(
        [Parameter(Position = 0)]
        [ValidateNotNullOrEmpty()]
        [string[]]$Name,
        [Parameter(Mandatory, ParameterSetName = 'List')]
        [ValidateNotNullOrEmpty()]
        [string]$Path,
        [Parameter(Mandatory, ParameterSetName = 'Stored')]
        [ValidateSet('User', 'Machine')]
        [string]$Scope
    )
    $report = Get-JsonReport (Get-SourceArguments $PSBoundParameters) @('--shadows')
    foreach ($shadowed in $report.shadows.names) {
        if ($Name -and -not ($Name | Where-Object { $_ -eq $shadowed.name })) { continue }
        # What the session itself holds of that name; never this module's own helpers.
        $own = Get-Command -Name $shadowed.name -CommandType Alias, Function, Cmdlet -ErrorAction SilentlyContinue |
            Where-Object { -not $_.Module -or $_.Module.Name -ne 'Pathshrink' } | Select-Object -First 1
        # The session's own first: no file search looks for it, and PowerShell
        # runs it before any file.
        $files = @($shadowed.files)
        if ($own) {
            $files = @([pscustomobject]@{
                    path = "$($own.CommandType): $($own.Name)"; executionAlias = $false
                    cmd = $null; createProcess = $null; posix = $null; pwsh = 'runs'
                }) + $files
        }
        foreach ($file in $files) {
            $pwsh = $file.pwsh
            if ($own -and $pwsh -eq 'runs' -and $file -ne $files[0]) { $pwsh = 'never' }
            [pscustomobject]@{
                PSTypeName     = 'Pathshrink.Shadow'
                Name           = $shadowed.name
                Path           = $file.path
                ExecutionAlias = $file.executionAlias
                Cmd            = $file.cmd
                CreateProcess  = $file.createProcess
                Posix          = $file.posix
                Pwsh           = $pwsh
            }
        }
    }
}

# --- completion for the program itself --------------------------------------

# The program's options as its --help lists them: the flag, whether a value
# follows it (and its word, such as DIR), and what it does. Read once.
function Get-ProgramOption {
    if ($script:ProgramOptions) { return $script:ProgramOptions }
    $run = Invoke-PathshrinkProgram -Arguments @('--help')
    $options = [System.Collections.Generic.List[object]]::new()
    $last = $null
    foreach ($line in ($run.Out -split "`r?`n")) {
        if ($line -match '^  ((?:--?[a-z][\w-]*|-|/\?)(?: [A-Za-z]+)?(?:, (?:--?[a-z][\w-]*|/\?)(?: [A-Za-z]+)?)*)\s{2,}(\S.*)$') {
            $last = @()
            foreach ($form in ($Matches[1] -split ', ')) {
                $words = $form -split ' '
                $option = [pscustomobject]@{
                    Flag = $words[0]; Value = if ($words.Count -gt 1) { $words[1] } else { $null }
                    Description = $Matches[2]
                }
                $options.Add($option)
                $last += $option
            }
        } elseif ($last -and $line -match '^\s{20,}(\S.*)$') {
            foreach ($option in $last) { $option.Description += ' ' + $Matches[1] }
        } else {
            $last = $null
        }
    }
    if ($options.Count -gt 0) { $script:ProgramOptions = $options.ToArray() }
    $options.ToArray()
}

$script:ProgramOptions = $null
$script:Program = $null
try { $null = Find-PathshrinkProgram } catch [System.IO.FileNotFoundException] {}

$completer = {
    param($wordToComplete, $commandAst, $cursorPosition)
    $options = Get-ProgramOption
    $elements = @($commandAst.CommandElements | Where-Object { $_.Extent.EndOffset -lt $cursorPosition -or
            ($_.Extent.EndOffset -eq $cursorPosition -and -not $wordToComplete) })
    $previous = if ($elements.Count -gt 1) { $elements[-1].Extent.Text } else { '' }
    $takes = $options | Where-Object { $_.Flag -ceq $previous -and $_.Value } | Select-Object -First 1
    if ($takes) {
        switch ($takes.Value) {
            'N' {
                foreach ($n in '2047', '8191') {
                    if ($n.StartsWith($wordToComplete)) {
                        [System.Management.Automation.CompletionResult]::new($n, $n, 'ParameterValue', $takes.Description)
                    }
                }
            }
            'NAME' {
                Get-ChildItem -Path Env: | Where-Object { $_.Name -like "$wordToComplete*" } | ForEach-Object {
                    [System.Management.Automation.CompletionResult]::new($_.Name, $_.Name, 'ParameterValue', $_.Name)
                }
            }
            default {
                # A folder: a junction, or the folder to make junctions in.
                [System.Management.Automation.CompletionCompleters]::CompleteFilename($wordToComplete) |
                    Where-Object { $_.ResultType -eq 'ProviderContainer' }
            }
        }
        return
    }
    foreach ($option in $options) {
        if ($option.Flag.StartsWith($wordToComplete, [System.StringComparison]::Ordinal)) {
            $text = if ($option.Value) { "$($option.Flag) $($option.Value)" } else { $option.Flag }
            [System.Management.Automation.CompletionResult]::new($option.Flag, $text, 'ParameterName', $option.Description)
        }
    }
}
Register-ArgumentCompleter -Native -CommandName pathshrink, pathshrink.exe -ScriptBlock $completer

Export-ModuleMember -Function Get-PathshrinkReport, Set-PathshrinkSession, Save-Pathshrink,
    Undo-Pathshrink, Get-PathshrinkShadow
