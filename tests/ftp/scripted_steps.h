#pragma once

#include <string>
#include <string_view>

#include "scripted_fixture.h"

namespace quay::test {

// Takes the next command, which must start with `command`, and answers it with one line.
inline void answer(ScriptedFtpSession& s, std::string_view command, std::string_view reply) {
    s.expect(command);
    s.reply(reply);
}

// Answers PASV, takes the transfer command on the data connection and starts the transfer.
inline void startTransfer(ScriptedFtpSession& s, const std::string& command) {
    answerPasv(s);
    s.expect(command);
    s.acceptData();
    s.reply("150 Here it comes");
}

}  // namespace quay::test
