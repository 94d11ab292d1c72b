// Choosing sensor inputs and resolutions.
#include "app/tform1.h"

void TForm1::wireInputs() {}
void TForm1::S1IChange() {}
void TForm1::S2IChange() {}
void TForm1::Res1Change() {}
void TForm1::Res2Change() {}
