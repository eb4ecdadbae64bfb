#pragma once

// Registers the program's pictures (compiled into the static library, so the linker would not
// pull them in by itself). Safe to call more than once.
void ensureResources();
