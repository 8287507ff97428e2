// Litchi page: mission editor, CSV files, missions. (stubs until the page lands)
#include "mainform.h"

void TMainForm::WriteLitchiCVS() {}
void TMainForm::Button6Click() {}
bool TMainForm::ReadLitchiCVS() { return false; }
void TMainForm::Button7Click() {}
void TMainForm::ShowLitchiCVS(int) {}
void TMainForm::DisplayLitchiRecs() {}
void TMainForm::Button8Click() {}
void TMainForm::MakeLitchiLines() {}
void TMainForm::MakeFreeLitchiLines() {}
void TMainForm::Button9Click() {}
void TMainForm::Button1Click() {}
void TMainForm::OrbitRelease(float, float) {}
void TMainForm::ShowOrbit() {}
void TMainForm::BuildLitchiPage(QWidget*) {}
