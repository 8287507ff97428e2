// DXF drawing and map project files. (stubs until the files land)
#include "mainform.h"

void TMainForm::Button5Click() {}
void TMainForm::SchreibDXF() {}
void TMainForm::ButtonSaveKVClick() {}
void TMainForm::ButtonLoadKVClick() {}
void TMainForm::EditKVNameDblClick() {}
void TMainForm::SavePar() {}
bool TMainForm::LoadPar() { return false; }
