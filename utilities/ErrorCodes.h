#pragma once

#include <cstdint>

// Status codes: 0 is success, a positive value is the errno of a failed system call, and the
// negative family from -6700 to -6763 names the program's own failures. GetErrorString() turns
// any of them into a name for messages.
using Status = int32_t;

inline constexpr Status kNoErr = 0;
inline constexpr Status kUnknownErr = -6700;
inline constexpr Status kOptionErr = -6701;
inline constexpr Status kSelectorErr = -6702;
inline constexpr Status kExecutionStateErr = -6703;
inline constexpr Status kPathErr = -6704;
inline constexpr Status kParamErr = -6705;
inline constexpr Status kParamCountErr = -6706;
inline constexpr Status kCommandErr = -6707;
inline constexpr Status kIDErr = -6708;
inline constexpr Status kStateErr = -6709;
inline constexpr Status kRangeErr = -6710;
inline constexpr Status kRequestErr = -6711;
inline constexpr Status kResponseErr = -6712;
inline constexpr Status kChecksumErr = -6713;
inline constexpr Status kNotHandledErr = -6714;
inline constexpr Status kVersionErr = -6715;
inline constexpr Status kSignatureErr = -6716;
inline constexpr Status kFormatErr = -6717;
inline constexpr Status kNotInitializedErr = -6718;
inline constexpr Status kAlreadyInitializedErr = -6719;
inline constexpr Status kNotInUseErr = -6720;
inline constexpr Status kInUseErr = -6721;
inline constexpr Status kTimeoutErr = -6722;
inline constexpr Status kCanceledErr = -6723;
inline constexpr Status kAlreadyCanceledErr = -6724;
inline constexpr Status kCannotCancelErr = -6725;
inline constexpr Status kDeletedErr = -6726;
inline constexpr Status kNotFoundErr = -6727;
inline constexpr Status kNoMemoryErr = -6728;
inline constexpr Status kNoResourcesErr = -6729;
inline constexpr Status kDuplicateErr = -6730;
inline constexpr Status kImmutableErr = -6731;
inline constexpr Status kUnsupportedDataErr = -6732;
inline constexpr Status kIntegrityErr = -6733;
inline constexpr Status kIncompatibleErr = -6734;
inline constexpr Status kUnsupportedErr = -6735;
inline constexpr Status kUnexpectedErr = -6736;
inline constexpr Status kValueErr = -6737;
inline constexpr Status kNotReadableErr = -6738;
inline constexpr Status kNotWritableErr = -6739;
inline constexpr Status kBadReferenceErr = -6740;
inline constexpr Status kFlagErr = -6741;
inline constexpr Status kMalformedErr = -6742;
inline constexpr Status kSizeErr = -6743;
inline constexpr Status kNameErr = -6744;
inline constexpr Status kNotReadyErr = -6745;
inline constexpr Status kReadErr = -6746;
inline constexpr Status kWriteErr = -6747;
inline constexpr Status kMismatchErr = -6748;
inline constexpr Status kDateErr = -6749;
inline constexpr Status kUnderrunErr = -6750;
inline constexpr Status kOverrunErr = -6751;
inline constexpr Status kEndingErr = -6752;
inline constexpr Status kConnectionErr = -6753;
inline constexpr Status kAuthenticationErr = -6754;
inline constexpr Status kOpenErr = -6755;
inline constexpr Status kTypeErr = -6756;
inline constexpr Status kSkipErr = -6757;
inline constexpr Status kNoAckErr = -6758;
inline constexpr Status kCollisionErr = -6759;
inline constexpr Status kBackoffErr = -6760;
inline constexpr Status kNoAddressAckErr = -6761;
inline constexpr Status kBusyErr = -6762;
inline constexpr Status kNoSpaceErr = -6763;
// Internal to readers: everything available has been consumed for now. Never a final result.
inline constexpr Status kWouldBlockErr = -6766;

// errno of the calling thread, or kUnknownErr when a failed call left it at 0.
Status ErrnoStatus();
