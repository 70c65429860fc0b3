#pragma once
#include "platform/d3d9/D3D9Types.h"
#include "platform/win/Window.h"

#include <vector>

class IDirect3DDevice9;

// ARGB pixels of the device's back buffer, top row first; empty when the
// backend cannot read them.
std::vector<D3DCOLOR> readBackBuffer(IDirect3DDevice9* device, const RECT& area);
D3DCOLOR readBackBufferPixel(IDirect3DDevice9* device, int x, int y);

// A window class for tests whose procedure posts WM_QUIT on WM_DESTROY, as
// the game's does; registered once per process.
const char* testWindowClass();

// Handles and drops every window message waiting in the queue, as a test
// does after making or closing windows.
void drainWindowMessages();
