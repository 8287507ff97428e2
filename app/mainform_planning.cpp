// Parameter page: camera values, border, planning run. (stubs until the page lands)
#include "mainform.h"

void TMainForm::Rechnen() {}
void TMainForm::NumberBoxHChange() { Rechnen(); }
void TMainForm::NumberBoxPChange() { Rechnen(); }
void TMainForm::NumberBoxQChange() { Rechnen(); }
void TMainForm::NumberBoxVChange() { Rechnen(); }
void TMainForm::CheckBoxFormatClick() {}
void TMainForm::SetBorderPointer() {}
void TMainForm::SetFreeLine() {}
void TMainForm::FlightLines() {}
void TMainForm::CalcFlugWeg() {}
void TMainForm::ButtonWayptsClick() {}
void TMainForm::BuildParameterPage(QWidget*) {}
