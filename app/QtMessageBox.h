// Message boxes shown as Qt dialogs.
#pragma once

#include "platform/MessageBox.h"

// Shows a modal QMessageBox with the icon and buttons of `uType`.
int WINAPI QtMessageBoxPresenter(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
