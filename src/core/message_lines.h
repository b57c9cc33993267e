#pragma once
// The lines of the message table by what they say: what the message line (Text5)
// shows. Each handler that writes the message line records which line it
// showed, so that a front end knows how an operation ended without reading
// its text.
namespace quelm {

enum MessageLine : int {
    noLine = 0, // a text of no line of the table
    noBox = 1,
    lookingForBox = 2,
    boxFound = 3,
    waitingForNumber = 4,
    exchangeStopped = 6,
    addressTries = 8,
    addressTriesEnd = 9,
    replyTries = 10,
    programmingTries = 11,
    noFrame = 12,
    detectorAnswered = 13,
    numberProgrammed = 14,
    group1Read = 15,
    group2Read = 16,
    parametersRead = 17,
    addressesDone = 18,
    numberNotConfirmed = 19,
    noAnswerToCall = 20,
    group3ReadFailed = 21,
    group2ReadFailed = 22,
    group1ReadFailed = 23,
    group1Tries = 24,
    group2Tries = 25,
    group3Tries = 26,
    sendingChannel = 27,
    callingDetector = 28,
    sendingDynamicTime = 29,
    sendingOutputPower = 30,
    sendingRiseTime = 31,
    sendingFallTime = 32,
    sendingLevelOnPlus = 33,
    sendingLevelDynPlus = 34,
    sendingLevelDynMinus = 35,
    sendingCommandType = 36,
    parametersSent = 37,
    parameterDiffers = 38,
    testNumberSent = 39,
    numberRefused = 40,
    languageNotSaved = 41,
    addressRefused = 42,
    portUnusable = 43,
    emptyGroupRefused = 44,
    projectNotSaved = 45,
    folderNotCreated = 46,
    sendNeverConfirmed = 47,
    levelRefused = 48,
    unknownLanguageCode = 49,
    severalBoxes = 50,
    noValidAnswer = 51,
    addressNeverConfirmed = 52,
    newNumberAnswers = 53,
    valuesUncertain = 54,
    detectorSilent = 55,
    numberBoxReadRefused = 56,
    numberBoxSendRefused = 57,
    // Not lines of the table: the stop key's " STOP", and the fixed text
    // "Programmer" shows while it looks for the box.
    stopShown = 100,
    connectionTestShown = 101,
};

} // namespace quelm
