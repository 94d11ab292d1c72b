#include "app/windows.h"

#include "app/logo.h"

std::unique_ptr<Windows> createWindows() {
    auto w = std::make_unique<Windows>();
    w->Form1 = std::make_unique<TForm1>();
    w->Form2 = std::make_unique<TForm2>();
    w->Form3 = std::make_unique<TForm3>();
    w->Form4 = std::make_unique<TForm4>();
    w->Form5 = std::make_unique<TForm5>();
    w->Aboutfrm = std::make_unique<TAboutfrm>();
    w->Aboutfrm->setLogo(makeLogo(QSize(64, 64)));
    w->Form1->setDialogs(w->Form2.get(), w->Form3.get(), w->Form4.get(), w->Form5.get(),
                         w->Aboutfrm.get());
    return w;
}
