// The history of configurations read and sent, and the windows written and read as text.
#include "app/handlers/wiring.h"
#include "app/tform1.h"
#include "ui_tform1.h"

void handlers::wireHistory(TForm1& f, Ui::TForm1& ui) {
    QObject::connect(ui.History1, &QAction::triggered, &f, &TForm1::History1Click);
    QObject::connect(ui.ExportSettings1, &QAction::triggered, &f, &TForm1::ExportSettings1Click);
    QObject::connect(ui.ImportSettings1, &QAction::triggered, &f, &TForm1::ImportSettings1Click);
}

void TForm1::History1Click() {}
void TForm1::ExportSettings1Click() {}
void TForm1::ImportSettings1Click() {}
