// The data a message carries: one string, one int, one double and one pointer that the
// payload does not own. Created with new by the sender; the mail box deletes it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class MessagePayload {
public:
    MessagePayload();
    ~MessagePayload();
    MessagePayload(const MessagePayload&) = delete;
    MessagePayload& operator=(const MessagePayload&) = delete;

    void setString(const std::string& value);
    std::string getString() const;
    void setInt(int32_t value);
    int32_t getInt() const;
    void setDouble(double value);
    double getDouble() const;
    void setCustom(void* value);
    void* getCustom() const;

private:
    struct Record {
        std::string text;
        int32_t integer = 0;
        double real = 0.0;
        void* custom = nullptr;
    };
    std::unique_ptr<Record> record_;
};
