// The hidden twin of the settings-file button: a file turned into hex text
// and searched as pasted text is.
#include "Window2.h"

void Window2::FichierPB11_Action() {}
std::string Window2::Hex2Text(const fw::MemoryBlock&) { return {}; }
