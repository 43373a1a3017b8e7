#pragma once

#include "util/Messages.h"

namespace msg {

// Shows messages in modal QMessageBox windows over the active window.
class QtMessageSink final : public MessageSink
{
public:
    Answer show(const Message& message) override;
};

} // namespace msg
