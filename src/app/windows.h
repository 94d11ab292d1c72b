#pragma once
// The six windows of the program, created in their fixed order and kept for the whole run.
#include "app/tform1.h"
#include "dialogs/aboutfrm.h"
#include "dialogs/tform2.h"
#include "dialogs/tform3.h"
#include "dialogs/tform4.h"
#include "dialogs/tform5.h"
#include <memory>

// Destroyed in reverse order: the About box first, the main window last.
struct Windows {
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm3> Form3;
    std::unique_ptr<TForm4> Form4;
    std::unique_ptr<TForm5> Form5;
    std::unique_ptr<TAboutfrm> Aboutfrm;
};

// Creates the main window, then the UDP, recording, board, RTP and About dialogs. Nothing is shown.
std::unique_ptr<Windows> createWindows();
