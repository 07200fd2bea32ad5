#pragma once
// Sanitizer builds only: keeps the GL driver libraries loaded until the process exits, so that
// leak reports from inside them name their library and the suppressions file can match them.
// Other builds do nothing.
void pinGraphicsDriver();
