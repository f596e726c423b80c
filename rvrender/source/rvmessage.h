// Messages a user should see ("caption: text"). The core only knows that a message must be
// shown; the platform layer installs a handler that shows a modal message box. Without a
// handler the message is written to standard error as one line.
#pragma once

using rvMessageHandler = void (*)(const char* text, const char* caption);

void rvShowMessage(const char* text, const char* caption);
// Installs the handler and returns the previous one (null restores the default).
rvMessageHandler rvSetMessageHandler(rvMessageHandler handler);
