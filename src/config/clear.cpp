// Clearing the displayed configuration.
#include "app/tform1.h"

void TForm1::ClearUI() {
    RxBuffer.clear();
}
