#include "app/windows.h"

std::unique_ptr<Windows> createWindows() {
    auto w = std::make_unique<Windows>();
    w->Form1 = std::make_unique<TForm1>();
    w->Form2 = w->Form1->form2();
    w->Form3 = w->Form1->form3();
    w->Form4 = w->Form1->form4();
    w->Form5 = w->Form1->form5();
    return w;
}
