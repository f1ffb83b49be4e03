#pragma once

// The element classes that may travel through the clipboard.

// Registers them with the clipboard holder's class registry, in the order the paste menu relies
// on. Registering twice changes nothing.
void RegisterElementClasses();
