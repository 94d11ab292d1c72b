#pragma once
// The windows of the program, created in their fixed order and kept for the whole run. The
// dialogs build their widgets when first shown or reached (the About box is built when first
// asked for: TForm1::aboutfrm()).
#include "app/tform1.h"
#include "dialogs/aboutfrm.h"
#include "dialogs/tform2.h"
#include "dialogs/tform3.h"
#include "dialogs/tform4.h"
#include "dialogs/tform5.h"
#include <memory>

// A dialog of the main window as a caller reaches it: reaching it builds its widgets.
template <typename Dialog> class DialogReach {
public:
    DialogReach(const TForm1* form, Dialog* (TForm1::*get)() const) : form_(form), get_(get) {}
    operator Dialog*() const { return (form_->*get_)(); }
    Dialog* operator->() const { return *this; }

private:
    const TForm1* form_;
    Dialog* (TForm1::*get_)() const;
};

// The main window, which owns the five dialogs, and shortcuts to them.
struct Windows {
    std::unique_ptr<TForm1> Form1;
    DialogReach<TForm2> Form2;
    DialogReach<TForm3> Form3;
    DialogReach<TForm4> Form4;
    DialogReach<TForm5> Form5;
};

// Creates the main window, which creates the UDP, recording, board and RTP dialogs.
// Nothing is shown.
std::unique_ptr<Windows> createWindows();
