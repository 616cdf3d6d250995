#include "AccountRules.h"

#include <algorithm>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uspoof.h>
#include <unicode/utf8.h>
#include <vector>

namespace {

// The code points of `text`; nothing when it is not well-formed UTF-8 (overlong forms,
// surrogates and values past U+10FFFF included).
std::optional<std::vector<UChar32>> codePoints(const std::string& text) {
    std::vector<UChar32> out;
    const int32_t length = int32_t(std::min<size_t>(text.size(), INT32_MAX));
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(text.data(), i, length, c);
        if (c < 0) {
            return std::nullopt;
        }
        out.push_back(c);
    }
    return out;
}

// A name with one of these looks like another name, or makes the text around it on screen read
// differently: what draws nothing (format characters such as zero-width joiners and the BOM,
// Hangul fillers, variation selectors: Unicode's default-ignorables), bidi embeddings, overrides
// and isolates, line breaks, and what no font draws alike (unassigned and private-use).
bool invisible(UChar32 c) {
    switch (u_charType(c)) {
    case U_CONTROL_CHAR:
    case U_FORMAT_CHAR:
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR:
    case U_UNASSIGNED:
    case U_PRIVATE_USE_CHAR:
        return true;
    default:
        return u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
    }
}

// Unicode's space separators, and the braille blank that fonts draw as one.
bool blank(UChar32 c) {
    return u_charType(c) == U_SPACE_SEPARATOR || c == 0x2800;
}

// Fullwidth and halfwidth forms, which the width mapping turns into their ordinary forms.
bool widthForm(UChar32 c) {
    const int32_t type = u_getIntPropertyValue(c, UCHAR_DECOMPOSITION_TYPE);
    return type == U_DT_WIDE || type == U_DT_NARROW;
}

// Made once and never changed, so that any thread may use it; never closed, since a database
// thread may still be keying a name while the process ends.
const USpoofChecker* spoofChecker() {
    static const USpoofChecker* const checker = [] {
        UErrorCode status = U_ZERO_ERROR;
        USpoofChecker* made = uspoof_open(&status);
        uspoof_setRestrictionLevel(made, USPOOF_HIGHLY_RESTRICTIVE);
        // Invisible: the same mark twice on one letter draws as once.
        uspoof_setChecks(made, USPOOF_RESTRICTION_LEVEL | USPOOF_INVISIBLE, &status);
        return U_SUCCESS(status) ? made : nullptr; // without it every name is refused
    }();
    return checker;
}

} // namespace

bool wellFormedUserName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameBytes) {
        return false;
    }
    const auto cps = codePoints(name);
    return cps && std::none_of(cps->begin(), cps->end(),
                               [](UChar32 c) { return u_charType(c) == U_CONTROL_CHAR; });
}

bool validUserName(const std::string& name) {
    if (!wellFormedUserName(name)) {
        return false;
    }
    const std::vector<UChar32> cps = *codePoints(name);
    // A name of blanks only starts with one.
    if (blank(cps.front()) || blank(cps.back()) || std::any_of(cps.begin(), cps.end(), invisible) ||
        std::any_of(cps.begin(), cps.end(), widthForm)) {
        return false;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(name);
    const bool nfc = icu::Normalizer2::getNFCInstance(status)->isNormalized(text, status);
    const int32_t spoofing = uspoof_check2UnicodeString(spoofChecker(), text, nullptr, &status);
    return U_SUCCESS(status) && nfc && spoofing == 0;
}

std::optional<std::string> nameKey(const std::string& name) {
    const auto cps = codePoints(name);
    if (!cps) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(status);
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    icu::UnicodeString mapped;
    for (UChar32 c : *cps) {
        icu::UnicodeString ordinary;
        if (widthForm(c) && nfkc->getRawDecomposition(c, ordinary)) {
            mapped += ordinary;
        } else {
            mapped += c;
        }
    }
    const icu::UnicodeString folded = nfc->normalize(mapped.foldCase(), status);
    icu::UnicodeString skeleton;
    uspoof_getSkeletonUnicodeString(spoofChecker(), 0, folded, skeleton, &status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    std::string key;
    return skeleton.toUTF8String(key);
}

bool validDigest(const std::string& digest) {
    if (digest.size() != 32) {
        return false;
    }
    for (char c : digest) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}
