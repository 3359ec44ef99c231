#pragma once

// Who waits for the reply of a one-shot read (panel information, clock,
// recording settings, power saving): handed to the poll engine by the
// operation's begin call and told when the reply is in PanelData.
class PanelReplyListener {
public:
    // How long whoever starts a one-shot read waits for its reply.
    static constexpr int kReplyWaitMs = 1500;

    virtual ~PanelReplyListener() = default;
    virtual void onPanelReply() = 0;
};
