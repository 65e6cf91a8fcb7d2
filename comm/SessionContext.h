#pragma once

class ComLink;
class MainView;
class OperatorInterface;
class RequestLayer;
struct SessionState;

// What every part of a core session works on: its shared state, its line and the request layer
// over it, and the operator's side (questions and the display). Built once by CoreSession and
// handed to each part, which adds only its own collaborators.
struct SessionContext {
    SessionState &shared;
    ComLink &link;
    RequestLayer &request;
    OperatorInterface &op;
    MainView &view;
};
