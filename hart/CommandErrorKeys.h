#pragma once
// Every key that the command layer can put into ResponseMessage or raise for a
// device's response code. Each one needs a text in the language file.

inline constexpr const char* CommandErrorKeys[] = {
    "0.NONE",
    "0.TONEAREST",
    "1.INVALIDSELECTION",
    "1.UPDATEFAILURE",
    "4.TOOLARGEPARAM",
    "5.TOOSMALLPARAM",
    "6.TOOSHORTRESP",
    "7.TRANSSPEC",
    "8.WRITEPROTECT",
    "9.PROCTOOHIGH",
    "10.LOWERTOOHIGH",
    "11.PROCTOOLOW",
    "12.LOWERTOOLOW",
    "14.UPPERTOOHIGH",
    "15.UPPERTOOLOW",
    "17.OUTOFLIMITS",
    "18.SPANTOOSMAL",
    "18.SPANTOOSMALL",
    "19.ACCESSRESTRICTED",
    "20.INVALIDUNIT",
    "21.INVALIDSPAN",
    "22.BUSY",
    "23.UNDEFINED",
    "137.COMMANDNOTIMPLEMENTED",
    // a delayed response that died; no transmitter with the tag looked for
    "24.DELAYEDDEAD",
    "146.TAGNOTFOUND",
    "30.CURRENTTOOHIGH",
    "31.CURRENTTOOLOW",
    "32.MULTIDROPMODE",
    "33.TRIMTOOLARGE",
    "34.TRIMTOOSMALL",
    "35.LOOPCURRENTMODE",
};
