// The Windows entry points. Arguments arrive in UTF-16 through the wide entry
// point and are handed on in UTF-8, the encoding of every name inside grapho,
// so that a file named in any script can be opened and is named rightly in
// messages.
#pragma once

namespace grapho {

// Runs `run` with the arguments in UTF-8, standard error set to take UTF-8
// bytes as they are; returns its status.
int run_with_utf8_arguments(int argc, wchar_t** argv, int (*run)(int argc, char** argv));

}  // namespace grapho
