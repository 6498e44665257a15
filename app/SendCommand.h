#pragma once
// The command line's send: palvorn-enemy-creator send FILE [--cable C] [--calc M].

#include <QStringList>
#include <cstdio>

#include "CableFactory.h"
#include "Subcommand.h"

// Exit status when the cable or the calculator failed (or this build cannot send).
constexpr int kSendFailed = 4;

// Sends FILE (NAME.8XP, or NAME.asm whose NAME.8XP lies beside it) with the
// arguments that follow the word send. Returns 0 when sent, 1 for refused
// input (the message names the option or file), 4 when the cable or the
// calculator failed; says so on standard output or error.
int runSend(const QStringList& arguments);
// The same with the cable from `factory` and the output to these streams.
int runSend(const QStringList& arguments, const calclink::CableFactory& factory, std::FILE* out, std::FILE* err);
