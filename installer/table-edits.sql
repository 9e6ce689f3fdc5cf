-- Edits make-msi.cmake makes to the database wixl wrote, one statement per line, for what wixl
-- cannot express or gets wrong. @VERSION@ is the four-part file version of the binaries.
--
-- The administrators' choices: each component is installed only when its property allows it.
-- Conditions are evaluated at removal too, where the properties have their defaults again: a
-- component whose condition is false then would stay behind, so removal makes them true.
UPDATE `Component` SET `Condition` = 'AUTOSTART <> "0" OR REMOVE ~= "ALL"' WHERE `Component` = 'RunAtSignIn'
UPDATE `Component` SET `Condition` = 'SHORTCUT <> "0" OR REMOVE ~= "ALL"' WHERE `Component` = 'StartMenuShortcut'
UPDATE `Component` SET `Condition` = 'CRASHDUMPS = "1" OR REMOVE ~= "ALL"' WHERE `Component` = 'CrashDumps'
-- Windows Error Reporting expands DumpFolder per user: "#%" makes the value REG_EXPAND_SZ, and
-- "-" with no value removes the key of Sivrel.exe, which nothing else writes to, with the component.
UPDATE `Registry` SET `Value` = '#%%LOCALAPPDATA%\CrashDumps' WHERE `Component_` = 'CrashDumps' AND `Name` = 'DumpFolder'
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('CrashDumpsKey', 2, 'SOFTWARE\Microsoft\Windows\Windows Error Reporting\LocalDumps\Sivrel.exe', '-', 'CrashDumps')
-- Versioned files carry their version and language (the version resources' translation, U.S.
-- English), so that the file versioning rules compare versions; hashes are for unversioned files
-- only (ICE60), and a hash would make Windows Installer treat the file as unversioned.
UPDATE `File` SET `Version` = '@VERSION@', `Language` = '1033' WHERE `File` = 'SivrelExe' OR `File` = 'KorvexDll'
-- One row a statement: msibuild's DELETE with OR removes only the first row that matches.
DELETE FROM `MsiFileHash` WHERE `File_` = 'SivrelExe'
DELETE FROM `MsiFileHash` WHERE `File_` = 'KorvexDll'
