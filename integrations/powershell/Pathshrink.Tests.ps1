# The Pathshrink module's cases, with Pester 5, against the program the
# suite built (PATHSHRINK_BINARY) or, where that is not set, the one on PATH.
# What the module says is held to what PowerShell and the system answer
# themselves: Test-Path, Get-Item, Get-Command, the registry through reg.exe.

BeforeDiscovery {
    $onWindows = [System.IO.Path]::DirectorySeparatorChar -eq '\'
}

BeforeAll {
    $onWindows = [System.IO.Path]::DirectorySeparatorChar -eq '\'
    $separator = [System.IO.Path]::PathSeparator
    $source = if ($env:PATHSHRINK_SOURCE_DIR) { $env:PATHSHRINK_SOURCE_DIR } else { Join-Path $PSScriptRoot '../..' }
    $programFolder = if ($env:PATHSHRINK_BINARY) { Split-Path -Parent $env:PATHSHRINK_BINARY } else { $null }
    $sessionPath = $env:PATH
    if ($programFolder) { $env:PATH = $programFolder + $separator + $env:PATH }
    $sessionPathWithProgram = $env:PATH
    Import-Module (Join-Path $PSScriptRoot 'Pathshrink.psd1') -Force

    # A name 8.3 takes as it is, so that what the program writes of the
    # folders below it is what the test made, where a volume makes short
    # names too.
    $root = Join-Path ([System.IO.Path]::GetTempPath()) ('ps{0:d6}' -f (Get-Random -Maximum 1000000))
    $folders = @{}
    foreach ($name in 'Long Folder A', 'b', 'c', 'd') {
        $folders[$name] = (New-Item -ItemType Directory -Path (Join-Path $root $name)).FullName
    }
    $missing = Join-Path $root 'No Such Folder'

    # A file of `name` in `folder`, that a shell may run where `runnable`.
    function New-Program([string]$Folder, [string]$Name, [bool]$Runnable = $true) {
        $file = Join-Path $Folder $Name
        if ($Name -like '*.ps1') { Set-Content -LiteralPath $file -Value "'$file'" }
        else { Set-Content -LiteralPath $file -Value "#!/bin/sh`necho '$file'" }
        if (-not $onWindows -and $Runnable) { & chmod 755 $file }
        $file
    }
    # Runs `script` with PATH set to `list` (the platform's separator), and
    # puts PATH back.
    function Invoke-WithPath([string[]]$List, [scriptblock]$Script) {
        $was = $env:PATH
        try {
            $env:PATH = $List -join $separator
            & $Script
        } finally {
            $env:PATH = $was
        }
    }
}

AfterAll {
    $env:PATH = $sessionPath
    Remove-Item -LiteralPath $root -Recurse -Force -ErrorAction SilentlyContinue
    Remove-Module Pathshrink -ErrorAction SilentlyContinue
}

Describe 'The module as PowerShell sees it' {
    It 'is a valid manifest of the project''s version, exporting what it declares' {
        $manifest = Test-ModuleManifest -Path (Join-Path $PSScriptRoot 'Pathshrink.psd1')
        $project = (Select-String -Path (Join-Path $source 'CMakeLists.txt') -Pattern '^\s*VERSION ([0-9.]+)$').Matches[0].Groups[1].Value
        $manifest.Version.ToString() | Should -Be $project
        $exported = (Get-Module Pathshrink).ExportedFunctions.Keys | Sort-Object
        $exported | Should -Be ($manifest.ExportedFunctions.Keys | Sort-Object)
        $exported | Should -Be @('Get-PathshrinkReport', 'Get-PathshrinkShadow', 'Save-Pathshrink',
            'Set-PathshrinkSession', 'Undo-Pathshrink')
    }

    It '<_> uses an approved verb and has help with an example' -ForEach @(
        'Get-PathshrinkReport', 'Set-PathshrinkSession', 'Save-Pathshrink', 'Undo-Pathshrink', 'Get-PathshrinkShadow') {
        (Get-Command $_).Verb | Should -BeIn (Get-Verb).Verb
        $help = Get-Help $_ -Full
        $help.Synopsis | Should -Not -BeLike "$_*"   # the comment-based help was found
        @($help.Examples.Example).Count | Should -BeGreaterThan 0
    }

    It 'refuses <Name> through PowerShell''s own parameter validation' -ForEach @(
        @{ Name = 'an unknown scope'; Call = { Get-PathshrinkReport -Scope Everyone } }
        @{ Name = 'a target of 0'; Call = { Get-PathshrinkReport -Path 'x' -Target 0 } }
        @{ Name = 'a target past what a variable holds'; Call = { Get-PathshrinkReport -Path 'x' -Target 32767 } }
        @{ Name = 'an empty list'; Call = { Get-PathshrinkReport -Path '' } }
        @{ Name = 'an empty junction'; Call = { Set-PathshrinkSession -Junction '' -WhatIf } }
        @{ Name = 'a backup that is not there'; Call = { Undo-Pathshrink -Backup (Join-Path $root 'none.reg') } }
        @{ Name = 'a list and a scope at once'; Call = { Get-PathshrinkShadow -Path 'x' -Scope User } }
    ) {
        $thrown = { & $Call } | Should -Throw -PassThru -Because $Name
        $thrown.FullyQualifiedErrorId | Should -Match '^(ParameterArgumentValidationError|AmbiguousParameterSet),'
    }

    It 'says where it looked when the program is neither beside it nor on PATH' {
        try {
            Invoke-WithPath @($folders['d']) {
                Import-Module (Join-Path $PSScriptRoot 'Pathshrink.psd1') -Force
                { Get-PathshrinkReport -Path $folders['b'] } | Should -Throw '*neither beside the module*nor on PATH*'
                { Set-PathshrinkSession -Confirm:$false } | Should -Throw '*neither beside the module*'
                $env:PATH | Should -Be $folders['d']
            }
        } finally {
            Import-Module (Join-Path $PSScriptRoot 'Pathshrink.psd1') -Force
        }
    }
}

Describe 'Get-PathshrinkReport' {
    BeforeAll {
        $linked = Join-Path $root 'link to b'
        New-Item -ItemType SymbolicLink -Path $linked -Target $folders['b'] | Out-Null
        $list = @($folders['Long Folder A'], $missing, $folders['b'], $linked, ($folders['b'] + [System.IO.Path]::DirectorySeparatorChar), $folders['c'])
        $entries = @(Get-PathshrinkReport -Path ($list -join ';'))
    }

    It 'writes one object per entry, in order' {
        $entries.Count | Should -Be $list.Count
        $entries.Number | Should -Be (1..$list.Count)
        $entries.Entry | Should -Be $list
    }

    It 'leaves out exactly the entries the system says are not there' {
        $gone = $list | Where-Object { -not (Test-Path -LiteralPath $_ -PathType Container) }
        @(Get-PathshrinkReport -Path ($list -join ';') | Where-Object Outcome -eq 'missing').Entry | Should -Be @($gone)
    }

    It 'leaves out a later spelling of a folder listed before, as Get-Item resolves it' {
        $real = $list | ForEach-Object {
            $item = Get-Item -LiteralPath $_ -ErrorAction SilentlyContinue
            if (-not $item) { $null }
            # LinkTarget in PowerShell 7, Target in Windows PowerShell 5.1.
            elseif ($item.PSObject.Properties['LinkTarget'] -and $item.LinkTarget) { (Get-Item -LiteralPath $item.LinkTarget).FullName.TrimEnd('\', '/') }
            elseif ($item.PSObject.Properties['Target'] -and @($item.Target)[0]) { (Get-Item -LiteralPath @($item.Target)[0]).FullName.TrimEnd('\', '/') }
            else { $item.FullName.TrimEnd('\', '/') }
        }
        for ($i = 0; $i -lt $list.Count; $i++) {
            $first = [array]::IndexOf($real, $real[$i])
            if ($null -eq $real[$i] -or $first -eq $i) {
                $entries[$i].Outcome | Should -Not -Be 'repeat'
            } else {
                $entries[$i].Outcome | Should -Be 'repeat'
                $entries[$i].RepeatOf | Should -Be ($first + 1)
                $entries[$i].Becomes | Should -BeNullOrEmpty
            }
        }
    }

    It 'has a summary whose lengths are those of the list and of what the program writes' {
        $summary = $entries[0].Summary
        $summary | Should -Be $entries[-1].Summary
        $summary.LengthBefore | Should -Be ($list -join ';').Length
        $written = (& pathshrink ($list -join ';') 2>$null)
        $summary.LengthAfter | Should -Be $written.Length
        $summary.Counts.given | Should -Be $list.Count
        (Get-PathshrinkReport -Path ($list -join ';') -Summary).LengthAfter | Should -Be $summary.LengthAfter
        $saved = ($entries | Measure-Object -Property Saving -Sum).Sum
        $saved | Should -Be ($summary.LengthBefore - $summary.LengthAfter)
    }

    It 'shows by default the columns --explain shows, a left-out entry as such' {
        $table = $entries | Out-String -Width 300
        $table | Should -Match '#\s+Entry\s+Becomes\s+Why\s+Saves'
        $table | Should -Match ([regex]::Escape($missing) + '\s+\(left out\)\s+not there')
    }

    It 'judges the session''s PATH when given no list' {
        Invoke-WithPath @($folders['c'], $missing, $folders['c']) {
            $session = @(Get-PathshrinkReport)
            $session.Entry | Should -Be @($folders['c'], $missing, $folders['c'])
            $session.Outcome | Should -Be @('asGiven', 'missing', 'repeat')
        }
    }
}

Describe 'Set-PathshrinkSession' {
    BeforeAll {
        New-Program $folders['c'] 'greet' | Out-Null
        New-Program $folders['d'] 'greet' | Out-Null
        New-Program $folders['d'] 'other.ps1' | Out-Null
        $list = @($folders['c'], $missing, $folders['d'], $folders['c'], $folders['d'])
    }

    It 'changes nothing with -WhatIf' {
        Invoke-WithPath $list {
            Set-PathshrinkSession -WhatIf
            $env:PATH | Should -Be ($list -join $separator)
        }
    }

    It 'sets PATH with -Confirm:$false, every folder kept, the same program found for each name' {
        Invoke-WithPath $list {
            $before = @{ greet = (Get-Command greet -CommandType Application).Source; other = (Get-Command other).Source }
            Set-PathshrinkSession -Confirm:$false
            $after = $env:PATH.Split($separator)
            $after | Should -Be @($folders['c'], $folders['d'])
            foreach ($kept in $list | Where-Object { Test-Path -LiteralPath $_ }) {
                $after | Should -Contain $kept
            }
            (Get-Command greet -CommandType Application).Source | Should -Be $before.greet
            (Get-Command other).Source | Should -Be $before.other
        }
    }
}

Describe 'Get-PathshrinkShadow' {
    BeforeAll {
        $e = Join-Path $root 'e'
        $f = Join-Path $root 'f'
        $g = Join-Path $root 'g'
        New-Item -ItemType Directory -Path $e, $f, $g | Out-Null
        # run: in two folders. script: a .ps1 in an earlier folder than the
        # program. both: a program and a .ps1 in one folder.
        New-Program $e 'script.ps1' | Out-Null
        New-Program $f 'script' | Out-Null
        New-Program $f 'run' | Out-Null
        New-Program $g 'run' | Out-Null
        New-Program $f 'both' | Out-Null
        New-Program $f 'both.ps1' | Out-Null
        New-Program $g 'both' | Out-Null
        if ($onWindows) {
            foreach ($name in 'run', 'both', 'script') {
                Get-ChildItem -LiteralPath $e, $f, $g -Filter $name | Rename-Item -NewName "$name.cmd"
            }
        }
        $list = @($e, $f, $g)
        $shadows = @(Get-PathshrinkShadow -Path ($list -join ';'))
    }

    It 'names for <_> the file PowerShell itself starts' -ForEach @('run', 'script', 'both') {
        $name = $_
        $winner = Invoke-WithPath $list { (Get-Command $name -CommandType Application, ExternalScript | Select-Object -First 1).Source }
        $runs = @($shadows | Where-Object { $_.Name -eq $name -and $_.Pwsh -eq 'runs' })
        $runs.Count | Should -Be 1
        # The folder's name and the file's: the program writes folders in
        # their short forms where a volume has them.
        $runs[0].Path | Split-Path -Parent | Split-Path -Leaf | Should -Be ($winner | Split-Path -Parent | Split-Path -Leaf)
        $runs[0].Path | Split-Path -Leaf | Should -Be ($winner | Split-Path -Leaf)
        @($shadows | Where-Object { $_.Name -eq $name }).Count |
            Should -Be @(Invoke-WithPath $list { Get-Command $name -All -CommandType Application, ExternalScript }).Count
    }

    It 'puts a function of the session before every file, as Get-Command does' {
        function global:run { 'the function' }
        try {
            $own = @(Get-PathshrinkShadow -Path ($list -join ';') -Name run)
            (Invoke-WithPath $list { Get-Command run }).CommandType | Should -Be 'Function'
            $own[0].Path | Should -Be 'Function: run'
            $own[0].Pwsh | Should -Be 'runs'
            @($own | Where-Object Pwsh -eq 'runs').Count | Should -Be 1
        } finally {
            Remove-Item function:global:run
        }
    }
}

Describe 'Completion for the program' {
    BeforeAll {
        function Complete([string]$Line) {
            (TabExpansion2 -inputScript $Line -cursorColumn $Line.Length).CompletionMatches
        }
    }

    It 'offers only options the program takes, and every one its --help lists' {
        $offered = @(Complete 'pathshrink -').CompletionText
        $offered | Should -Contain '--target'
        $offered | Should -Contain '--user'
        $offered | Should -Contain '-j'
        foreach ($option in $offered) {
            # With --version after it, nothing is read or run: the line is
            # only parsed, and an option it does not know is named as such.
            $said = & pathshrink $option --version 2>&1 | Out-String
            $said | Should -Not -Match 'Unknown flag' -Because "$option is offered"
        }
        $help = & pathshrink --help | Out-String
        foreach ($flag in [regex]::Matches($help, '(?m)^  (--?[a-z][\w-]*)') | ForEach-Object { $_.Groups[1].Value }) {
            $offered | Should -Contain $flag
        }
    }

    It 'offers the folders after <_>, as Get-ChildItem lists them' -ForEach @('-j', '--junctions-in') {
        $offered = @(Complete "pathshrink $_ $root$([System.IO.Path]::DirectorySeparatorChar)").CompletionText |
            ForEach-Object { $_.Trim("'", '"').TrimEnd('\', '/') }
        $offered | Sort-Object | Should -Be (Get-ChildItem -LiteralPath $root -Directory | ForEach-Object FullName | Sort-Object)
    }

    It 'offers the lengths that matter after --target, and variables after --env' {
        @(Complete 'pathshrink.exe --target ').CompletionText | Should -Be @('2047', '8191')
        @(Complete 'pathshrink --env PAT').CompletionText | Should -Contain 'PATH'
    }
}

Describe 'Storing a Path' {
    It '<_> says it is for Windows, off Windows' -Skip:$onWindows -ForEach @('Save-Pathshrink', 'Undo-Pathshrink') {
        $backup = New-Item -ItemType File -Path (Join-Path $root "$_.reg") -Force
        $call = if ($_ -eq 'Save-Pathshrink') { { Save-Pathshrink -Scope User -Confirm:$false } } else { { Undo-Pathshrink -Backup $backup.FullName -Confirm:$false } }
        { & $call } | Should -Throw '*is for Windows*'
    }

    It 'stores the user''s Path, -WhatIf first, and puts it back' -Skip:(-not $onWindows) {
        # The value as reg.exe shows it: "Path    REG_EXPAND_SZ    value".
        $stored = { @(reg.exe query HKCU\Environment /v Path 2>$null | Select-String 'REG_')[0].Line.Trim() }
        $was = & $stored
        if (-not $was) {
            Set-ItResult -Skipped -Because 'this user has no Path stored'
            return
        }
        Save-Pathshrink -Scope User -WhatIf
        & $stored | Should -Be $was
        $preview = Get-PathshrinkReport -Scope User -Summary
        $expected = & pathshrink --user 2>$null
        $saved = Save-Pathshrink -Scope User -Confirm:$false
        if ($preview.InDesiredState) {
            $saved | Should -BeNullOrEmpty
            & $stored | Should -Be $was
        } else {
            Test-Path -LiteralPath $saved.Backup | Should -BeTrue
            $saved.LengthAfter | Should -Be $preview.LengthAfter
            (& $stored) -replace '^Path\s+REG_\w+\s+', '' | Should -BeExactly $expected
            Invoke-Expression "$($saved.Undo) -Confirm:`$false"
            & $stored | Should -Be $was
        }
    }
}

Describe 'The guide''s PowerShell lines' {
    BeforeDiscovery {
        $guide = Get-Content -Raw -LiteralPath (Join-Path $PSScriptRoot '../../docs/guide.md')
        $section = [regex]::Match($guide, '(?ms)^### PowerShell\r?\n(.*?)(?=^##)').Groups[1].Value
        $blocks = @([regex]::Matches($section, '(?ms)^```powershell\r?\n(.*?)^```') | ForEach-Object { $_.Groups[1].Value })
    }

    It 'the section has lines to run' {
        $blocks.Count | Should -BeGreaterThan 2
    } -ForEach @{ blocks = $blocks }

    It 'runs: <_>' -ForEach $blocks {
        $block = $_
        if (-not $onWindows -and $block -match '-Scope|\.exe|Undo-Pathshrink') {
            Set-ItResult -Skipped -Because 'it reads or stores a Path in the registry: Windows only'
            return
        }
        Invoke-WithPath (@($folders['c'], $missing, $folders['c']) + $sessionPathWithProgram.Split($separator)) {
            $ErrorActionPreference = 'Stop'
            $ConfirmPreference = 'None'
            $null = & ([scriptblock]::Create($block.Replace('Import-Module Pathshrink', "Import-Module '$PSScriptRoot/Pathshrink.psd1'")))
        }
    }
}
