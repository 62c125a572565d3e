// SPDX-License-Identifier: GPL-3.0-or-later
// A communication gate that answers every request with the next reply of a fuzz input, as the
// communication controller would hand it back: the input is cut at carriage returns (a reply
// frame never holds one), each piece is the data of one reply. A piece that begins with "!"
// becomes an error reply. The frame is built with the request's echo and taken through the
// real reply matching, so the text the decoders see has the shape of a real accepted reply.
// Once the pieces are used up, every further request times out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/ResultInfo.h"
#include "link/CommGate.h"
#include "link/Frame.h"

namespace zul::fuzz {

inline std::vector<std::string_view> SplitReplies(std::string_view input) {
    std::vector<std::string_view> pieces;
    while (true) {
        size_t cr = input.find(kCarriageReturn);
        pieces.push_back(input.substr(0, cr));
        if (cr == std::string_view::npos) {
            return pieces;
        }
        input.remove_prefix(cr + 1);
    }
}

class FuzzGate : public CommGate {
public:
    explicit FuzzGate(std::string_view input) : pieces_(SplitReplies(input)) {}

    std::unique_ptr<CommRequest> SubmitAndWait(std::unique_ptr<CommRequest> request) override {
        Answer(*request);
        return request;
    }
    void Submit(std::unique_ptr<CommRequest> request) override {
        Answer(*request);
        if (request->onDone) {
            CommDoneFn done = request->onDone;
            done(std::move(request));
        }
    }
    void CancelRequest(const CommRequest*) override {}

    size_t Requests() const { return requests_; }
    // Starts over with the replies of a new input (for a gate that outlives one input).
    void Reset(std::string_view input) {
        pieces_ = SplitReplies(input);
        next_ = 0;
        requests_ = 0;
    }

private:
    void Answer(CommRequest& request) {
        ++requests_;
        ClearResult(&request.result);
        request.reply.clear();
        if (next_ >= pieces_.size()) {
            SetResult(&request.result, ZUL_ERR_COMM_TIMEOUT);
            return;
        }
        std::string_view piece = pieces_[next_++];
        std::string frame;
        if (!piece.empty() && piece.front() == '!') {
            frame = "%EE!" + std::string(piece.substr(1));
        } else {
            size_t echo = request.echoMode == kEchoMode2Letters ? 2 : 3;
            frame = "%EE$" +
                    request.command.substr(std::min<size_t>(4, request.command.size()), echo) +
                    std::string(piece);
        }
        MatchResult match = MatchReply(request.command, request.echoMode, frame);
        if (match.kind == ReplyMatch::kError) {
            SetResult(&request.result, ZUL_ERR_COMM_RES, match.errorCode);
            request.reply = frame;
        } else if (match.kind == ReplyMatch::kAccepted) {
            request.reply = std::move(match.text);
        } else {
            SetResult(&request.result, ZUL_ERR_COMM_TIMEOUT);
        }
    }

    std::vector<std::string_view> pieces_;
    size_t next_ = 0;
    size_t requests_ = 0;
};

}  // namespace zul::fuzz
