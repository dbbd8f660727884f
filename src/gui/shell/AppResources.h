#pragma once

// Registers the images compiled into the window library. A static library's resources are not
// registered by themselves (nothing references their initialiser), so every window that shows
// one calls this first; later calls do nothing.
void ensureAppResources();
