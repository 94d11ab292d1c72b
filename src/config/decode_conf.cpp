// Decoding the configuration reply into the windows.
#include "app/tform1.h"

void TForm1::Decode_Conf(const std::string&) {}
