// The guide screens' texts, exactly as shown, spelling and trailing blanks included.
#include "guides/guide_texts.h"

namespace survey {

// Option 3: how to use the program and find stored records.
const GuideLines usageGuideLines = {
    " -----> This Option Instructs You On How To Use This Program(Application) <........ ",
    " -----> Select Option 1 Or Option 2 For The Type Of Data You Wish To Request For <........ ",
    " -----> Option '1' Is Meant To Input The Data(s) Acording To Your Needs For Any Near By Task(Duty) <........ ",
    " -----> Also, It Allows You To Identify Your Immediate(Instant) Needs According To Your Demand(s) <........ ",
    " -----> Based On Your Environmental Needs(Goals) And Achievements.  Likewise, It Gives You The Option <........ ",
    " -----> To Know And Undersand The Developmental(Maintenance) Level(s) Of Your Community(Environemnt). <........ ",
    " -----> Additionally, This Option Gives You The Chances To Particiapte(Enter Your Needs) In The Designed(Given) <........ ",
    " -----> Data Collection Process(Task).  Lastly, The Best Available Option To Retrieve Or Get Your Stored(Saved) Data(s) <.... ",
    " -----> Back Is To Searh For It With The 'Time And The Date' You Used The(This) Application(Program) Through The Find Box <.... ",
    " -----> That Appears On The Screen.  This Method Quicly Displays The Actual Data That Corresponds(Related) With That <..... ",
    " -----> Time And(Or) Date As Stored(Saved) On Your Machine(Computer) And Laptop.  Always Put This In Consideration <.... ",
    " -----> All The Time As One Of The Best Options. Seeing Your Datas BaYou Can Also E.Mail Your Views(Surveys Or Participation) <.......",
    " -----> Back To The Given(Displayed) E.Mail Address On The Screen Or The Phone Number Shown(Displayed) On The(This) Screen. <........",
    " -----> Note That The Last Option Which Is Option '5' Is Meant To Clear(Refreshes) The Screen For You So That Your  :: ",
    " -----> Screen(View) Will Not Be Filled With Texts(Contents - Words) Or Unneeded Texts And Contents.  :: ",
    " -----> This Option Gets(Gives) You A Clear And Clean Appearance(Sights) For Your Screen. :: ",
    " -----> The Date And Time Search(Find) Option Allows You To Find Your Saved Datas(Contents) Based On The Day :: ",
    " -----> Got(Were) Entered Into Your Database(File) Which Goes With The Name Also Sometimes. :: ",
    " -----> The Time Format Can Be In The Form [04-06-2012 Or 06-04-2012 <-> 04/06/2012 Or 06/04/2012] :: ",
    " -----> Which Simultaneously Corresponds With The Task(Event) In The File(Record).  You Can Also Retrieve The Same :: ",
    " -----> With Time Also According To The Format You Like Most Or The Format Given By The Program Itself.  Try As Much As :: ",
    " -----> Possible To Follow The Program's Format For Date And Time And The One(Those) You Select By Yourself.  The(This) :: ",
    " -----> Program(Application) Can Be Executed Or Used On Any Operating System(Win 32 Operating System) At Anytime. :: ",
};

// Option 4: how to list the records and search them.
const GuideLines retrievalGuideLines = {
    " -----> This Option Instructs You On How To Use This Program(Application) <........ ",
    " -----> Select Option 2 For The Data(s) You Wish To Request For(View) <........ ",
    " -----> Option '1' Is Meant To Input The Data(s) Acording To Your Needs For Any Near By Task(Duty) <........ ",
    " -----> Also, It Allows You To Identify Your Immediate(Instant) Needs According To Your Demand(s) <........ ",
    " -----> Based On Your Environmental Needs(Goals) And Achievements.  <........ ",
    " -----> You Can Retrieve All Your Saved(Inouted) Datas On The Screen By 'Selecting Option 2' Only <----- ",
    " -----> After Retireving Or Displaying Your Datas On The Screen, You Can Search For A Data(Word) You Wish To View <----- ",
    " -----> Personally By Using The(Your) Mouse To Select The 'Black DOS' Icon On The Upper Left Hand Side(Corner) <----- ",
    " -----> Of The Screen.  Select 'Edit' After That And Select 'Find' Again After That Also. <----- ",
    " -----> Type The Word(String) You Wish To Find(Look For) In The Text Section Of The Small Box Shown On The Screen",
    " -----> After Typing The Word(String) There, Select(Click) 'Find Next' On The Small Box Or Just Press The Enter Button After That. ",
    " -----> To Continue Your Searched Word(String) Until You Reach The End Of The Screen. -----> ",
    " -----> This Application And Instructions On It Are Meant For You To Understand Your Public Profile(s) And ",
    " -----> Awareness(Consideration) For Your Environmental Ideas, Skills, Knowledge And Educational Purpose(s). ----->. ",
    " -----> You Can Also E.Mail Your Views(Surveys Or Participation) Back To The <........ ",
    " -----> Given(Displayed) E.Mail Address On The Screen Or The Phone Number Shown(Displayed) On The(This) Screen. <........ ",
};

const char* const retrievalChoicePrompt =
    " --> Enter Requested Option |--| [ Enter Option 1 Or 2 Only ] Option(Selection) Requested :: ";

// Option 5: the notice after the screen is cleared.
const GuideLines clearScreenNoticeLines = {
    " -----> This Option Clears(Refeshes - Cleans) The Screen For You For A New Start :: ",
    " -----> Based On Your Environmental Needs(Goals) And Achievements.  The Appliation Gives You The Option(s) <........ ",
    " -----> To Know And Undersand The Developmental(Maintenance) Views And Level(s) Of Your Community(Environemnt). <........ ",
    " -----> Additionally, This Option Gives You The Chances To Particiapte(Enter Your Needs) In The Designed(Given) <........ ",
    " -----> Data Collection Process(Task).  Please Feel Free To E.Mail Your Views(Surveys Or Participation) <.......",
    " -----> Back To The Given(Displayed) E.Mail Address On The Screen Or The Phone Number Shown(Displayed) On The(This) Screen. <........",
};

}  // namespace survey
