#pragma once
// Ties the main window's widgets to its handlers, one function a subsystem, each beside the
// handlers it wires. The window calls them once, when it is built.
class TForm1;
namespace Ui {
class TForm1;
}

namespace handlers {

void wireInputs(TForm1& f, Ui::TForm1& ui);      // handlers/inputs.cpp
void wireConfig(TForm1& f, Ui::TForm1& ui);      // handlers/decode_conf.cpp
void wireSave(TForm1& f, Ui::TForm1& ui);        // handlers/save_conf.cpp
void wireUpdates(TForm1& f, Ui::TForm1& ui);     // handlers/updates.cpp
void wireNetwork(TForm1& f, Ui::TForm1& ui);     // handlers/network.cpp
void wireStreaming(TForm1& f, Ui::TForm1& ui);   // handlers/streaming.cpp
void wireFiles(TForm1& f, Ui::TForm1& ui);       // handlers/server_file.cpp
void wireMaintenance(TForm1& f, Ui::TForm1& ui); // handlers/maintenance.cpp
void wireKeyboard(TForm1& f, Ui::TForm1& ui);    // keyboard.cpp

} // namespace handlers
