#pragma once

class WindowRegistry;

// Registers every child window the program has with the registry (see WindowRegistry.h).
void registerWindows(WindowRegistry& registry);
