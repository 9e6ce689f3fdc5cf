#pragma once
// Libraries the program loads by name (the system's own, delay-loaded ones) are looked for in the
// system folder and the program's folder only, never in the current folder or the PATH, where a
// planted file of that name could wait.
void RestrictDllSearch();
