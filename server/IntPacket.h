#pragma once
// The packets the server sends most, answers and pushes of integers only, built without an
// allocation in the storage of the packets already sent.

#include <cstdint>
#include <initializer_list>
#include <vector>

// An answer (seq > 0) or a push (seq 0) whose fields are all integers, built in the storage last
// given back by recyclePacket: a move's answer and push cost no allocation.
std::vector<uint8_t> intPacket(int32_t code, uint32_t seq, std::initializer_list<int32_t> values);
// The storage of a packet whose bytes have been copied out, kept for the next intPacket of this
// thread.
void recyclePacket(std::vector<uint8_t> packet);
