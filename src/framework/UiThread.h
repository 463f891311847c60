#pragma once

// User-interface members may only be used on the main thread. Each of them
// starts with RequireMainThread(), which raises ThreadAccessingUIException
// anywhere else.
void RequireMainThread();
bool IsMainThread();
