#pragma once
// The windows of the program, created in their fixed order and kept for the whole run (the About
// box is built when first asked for: TForm1::aboutfrm()).
#include "app/tform1.h"
#include "dialogs/aboutfrm.h"
#include "dialogs/tform2.h"
#include "dialogs/tform3.h"
#include "dialogs/tform4.h"
#include "dialogs/tform5.h"
#include <memory>

// The main window, which owns the five dialogs, and shortcuts to them.
struct Windows {
    std::unique_ptr<TForm1> Form1;
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TForm4* Form4 = nullptr;
    TForm5* Form5 = nullptr;
};

// Creates the main window, which creates the UDP, recording, board and RTP dialogs.
// Nothing is shown.
std::unique_ptr<Windows> createWindows();
