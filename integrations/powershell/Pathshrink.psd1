@{
    RootModule           = 'Pathshrink.psm1'
    ModuleVersion        = '0.1.0'
    GUID                 = '5d0f2a3e-8c61-4f7b-9b2e-3a41c7e9d6b8'
    Author               = 'The pathshrink developers'
    CompanyName          = 'The pathshrink developers'
    Copyright            = '(c) The pathshrink developers. MIT License.'
    Description          = 'Shortens a Windows search path such as PATH (short names, no missing or repeated entries, junctions) through the pathshrink program, as objects; with -WhatIf and -Confirm for whatever it changes, and completion for the program.'
    PowerShellVersion    = '5.1'
    CompatiblePSEditions = @('Desktop', 'Core')
    FormatsToProcess     = @('Pathshrink.Format.ps1xml')
    FunctionsToExport    = @('Get-PathshrinkReport', 'Set-PathshrinkSession', 'Save-Pathshrink',
                             'Undo-Pathshrink', 'Get-PathshrinkShadow')
    CmdletsToExport      = @()
    VariablesToExport    = @()
    AliasesToExport      = @()
    PrivateData          = @{
        PSData = @{
            Tags       = @('PATH', 'Windows', 'environment', 'short-names', '8dot3', 'junction')
            LicenseUri = 'https://github.com/pathshrink/pathshrink/blob/main/LICENSE'
            ProjectUri = 'https://github.com/pathshrink/pathshrink'
        }
    }
}
