struct node {
    int value;
    struct node* next;
};

struct node* push(struct node* head, int value);
int sum(struct node* head);
