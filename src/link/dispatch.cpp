// Reply accumulation and dispatch.
#include "app/tform1.h"

void TForm1::dispatchSerial() {}

void TForm1::UDPRxChar(const std::string& text, int) {
    RxBuffer = text;
}
