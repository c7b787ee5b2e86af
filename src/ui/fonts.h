#pragma once

// Maps the Windows faces of platform/windowsfonts.h (and their English
// names) to the Japanese Gothic faces Debian ships. Safe to call more than once.
void installFontSubstitutions();
