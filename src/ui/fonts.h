#pragma once

// The layout and the settings name the Windows faces "ＭＳ Ｐゴシック" and
// "ＭＳ ゴシック"; they are kept as names and mapped to the Japanese
// Gothic faces Debian ships. Safe to call more than once.
void InstallFontSubstitutions();
