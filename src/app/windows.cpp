#include "app/windows.h"

std::unique_ptr<Windows> createWindows() {
    auto form = std::make_unique<TForm1>();
    const TForm1* f = form.get();
    return std::unique_ptr<Windows>(new Windows{std::move(form),
                                                {f, &TForm1::form2},
                                                {f, &TForm1::form3},
                                                {f, &TForm1::form4},
                                                {f, &TForm1::form5}});
}
