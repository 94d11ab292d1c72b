// The detection replies: auto-detection (answer to the keep-alive) and assembly.
#include "app/tform1.h"

void TForm1::DecodeAutRes(const std::string&) {}

void TForm1::FindAssem(const std::string&) {}
