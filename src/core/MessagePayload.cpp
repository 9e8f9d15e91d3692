#include "core/MessagePayload.h"

MessagePayload::MessagePayload() : record_(std::make_unique<Record>()) {}

MessagePayload::~MessagePayload() = default;

void MessagePayload::setString(const std::string& value) {
    record_->text = value;
}
std::string MessagePayload::getString() const {
    return record_->text;
}
void MessagePayload::setInt(int32_t value) {
    record_->integer = value;
}
int32_t MessagePayload::getInt() const {
    return record_->integer;
}
void MessagePayload::setDouble(double value) {
    record_->real = value;
}
double MessagePayload::getDouble() const {
    return record_->real;
}
void MessagePayload::setCustom(void* value) {
    record_->custom = value;
}
void* MessagePayload::getCustom() const {
    return record_->custom;
}
